#pragma once

#include "windows/RtfDocument.h"

#include <string_view>

namespace ondrix::windows {

// Reads the subset of RTF in RtfDocument: paragraphs (\par, \pard, \ql \qc
// \qr \qj), bullets (\pnlvlblt, \ls), font sizes (\fs), bold (\b, \plain),
// text in code page 1252 with \'xx and \uN escapes, \tab and \line. Every other
// control word is ignored and the groups of other destinations (font and colour
// tables, pictures, headers, "\*" groups) are skipped, so any input gives a
// document and none makes it fail.
RtfDocument ReadRtf(std::string_view rtf);

} // namespace ondrix::windows
