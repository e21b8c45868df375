#include "platform/WavImage.h"

#include <cstring>

namespace ondrix::platform {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr unsigned kMaxSampleRate = 384000;
constexpr unsigned kMaxChannels = 32;

std::uint16_t Word16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Word32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool IsId(const std::uint8_t* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

// Fills the format fields of `wav` from a "fmt " chunk body; false when the
// encoding is unknown or inconsistent.
bool ReadFormat(const std::uint8_t* body, std::size_t length, WavImage& wav)
{
    if (length < 16) return false;
    std::uint16_t format = Word16(body);
    const unsigned channels = Word16(body + 2);
    const std::uint32_t rate = Word32(body + 4);
    const unsigned blockAlign = Word16(body + 12);
    const unsigned bits = Word16(body + 14);
    if (format == kFormatExtensible) {
        // cbSize, valid bits, channel mask, then the sub-format GUID whose
        // first two bytes carry the plain format code.
        if (length < 40 || Word16(body + 16) < 22) return false;
        format = Word16(body + 24);
    }
    if (channels == 0 || channels > kMaxChannels || rate == 0 || rate > kMaxSampleRate) return false;
    if (format == kFormatPcm) {
        switch (bits) {
        case 8:
            wav.encoding = SampleEncoding::Unsigned8;
            break;
        case 16:
            wav.encoding = SampleEncoding::Signed16;
            break;
        case 24:
            wav.encoding = SampleEncoding::Signed24;
            break;
        case 32:
            wav.encoding = SampleEncoding::Signed32;
            break;
        default:
            return false;
        }
    } else if (format == kFormatFloat && bits == 32) {
        wav.encoding = SampleEncoding::Float32;
    } else {
        return false;
    }
    if (blockAlign != channels * (bits / 8)) return false;
    wav.channels = channels;
    wav.sampleRate = rate;
    wav.bytesPerFrame = blockAlign;
    return true;
}

} // namespace

std::optional<WavImage> ReadWavImage(const std::uint8_t* image, std::size_t size)
{
    if (image == nullptr || size < 12 || !IsId(image, "RIFF") || !IsId(image + 8, "WAVE"))
        return std::nullopt;
    // The RIFF size is not trusted to bound the chunks: images are often
    // longer than it declares (trailing padding) and streamed files shorter.
    WavImage wav;
    bool haveFormat = false;
    std::size_t offset = 12;
    while (size - offset >= 8) {
        const std::uint8_t* header = image + offset;
        const std::size_t length = Word32(header + 4);
        const std::size_t bodyOffset = offset + 8;
        const std::size_t available = size - bodyOffset;
        if (IsId(header, "fmt ")) {
            if (haveFormat || length > available || !ReadFormat(image + bodyOffset, length, wav))
                return std::nullopt;
            haveFormat = true;
        } else if (IsId(header, "data")) {
            if (!haveFormat || length > available) return std::nullopt;
            std::size_t frames = length / wav.bytesPerFrame;
            if (length % wav.bytesPerFrame != 0 && available >= (frames + 1) * wav.bytesPerFrame) ++frames;
            wav.samples = image + bodyOffset;
            wav.frames = frames;
            return wav;
        }
        if (length > available) return std::nullopt;
        // Chunks are aligned to even offsets.
        offset = bodyOffset + length + (length & 1);
        if (offset > size) return std::nullopt;
    }
    return std::nullopt;
}

} // namespace ondrix::platform
