#pragma once

#include <string>
#include <vector>

// The part of a rich-text document the help pages use: paragraphs with an
// alignment and an optional bullet, made of runs of text in one size and weight.
namespace ondrix::windows {

enum class RtfAlignment { Left, Centre, Right, Justify };

struct RtfRun
{
    std::u16string text;
    int halfPoints = 24; // RTF measures font sizes in half points; 24 is 12 pt
    bool bold = false;

    bool SameFormat(const RtfRun& other) const
    {
        return halfPoints == other.halfPoints && bold == other.bold;
    }
    bool operator==(const RtfRun&) const = default;
};

struct RtfParagraph
{
    RtfAlignment alignment = RtfAlignment::Left;
    bool bullet = false;
    std::vector<RtfRun> runs;

    std::u16string Text() const;
    bool operator==(const RtfParagraph&) const = default;
};

struct RtfDocument
{
    std::vector<RtfParagraph> paragraphs;

    bool operator==(const RtfDocument&) const = default;
};

// Font sizes outside this range are clamped when read.
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;

} // namespace ondrix::windows
