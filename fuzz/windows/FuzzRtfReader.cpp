// Reads random bytes as an RTF file (a user may export a help page, edit it
// and read it back), then checks that what was read writes as 7-bit RTF and
// reads back to the same document.
#include "windows/RtfReader.h"
#include "windows/RtfWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace ondrix::windows;
    const RtfDocument document = ReadRtf(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const RtfParagraph& paragraph : document.paragraphs)
        for (const RtfRun& run : paragraph.runs)
            if (run.text.empty() || run.halfPoints < kMinHalfPoints || run.halfPoints > kMaxHalfPoints)
                std::abort();
    const std::string rtf = WriteRtf(document);
    for (const char c : rtf)
        if (static_cast<unsigned char>(c) >= 0x80) std::abort();
    if (ReadRtf(rtf) != document) std::abort();
    return 0;
}
