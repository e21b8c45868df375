// Inputs the fuzzer found troublesome, kept so that they stay fixed.
#include "ParserTestSupport.h"

using namespace ondrix::parser::test;

namespace {

TEST(FuzzFindings, Placeholder) {}

} // namespace
