#pragma once

#include "windows/RtfDocument.h"

#include <string>

namespace ondrix::windows {

// Writes a document as RTF in code page 1252 (Arial, bullets in the Symbol
// font); characters outside the code page are written as \uN escapes.
// ReadRtf gives back the same document.
std::string WriteRtf(const RtfDocument& document);

} // namespace ondrix::windows
