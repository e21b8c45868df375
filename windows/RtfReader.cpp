#include "windows/RtfReader.h"

#include "windows/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace ondrix::windows {
namespace {

// Groups nested deeper than this share the state of the deepest kept one, so
// a file of nothing but "{" cannot make the reader hold a state per byte.
constexpr std::size_t kMaxGroupDepth = 256;
constexpr std::size_t kMaxWordLength = 32;
constexpr int kMaxUnicodeSkip = 16;

// Destinations whose text is not part of the page.
constexpr std::array<std::string_view, 21> kSkippedDestinations = {
    "fonttbl",  "colortbl",          "stylesheet", "info",    "pict",   "object",
    "header",   "headerl",           "headerr",    "headerf", "footer", "footerl",
    "footerr",  "footerf",           "footnote",   "pn",      "pntext", "listtable",
    "listtext", "listoverridetable", "themedata",
};

struct GroupState
{
    int halfPoints = 24;
    bool bold = false;
    bool skipped = false;
    int unicodeSkip = 1;
};

struct ControlWord
{
    std::string_view name;
    bool hasParameter = false;
    int parameter = 0;
};

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Reader
{
  public:
    explicit Reader(std::string_view rtf) : rtf_(rtf) { groups_.emplace_back(); }

    RtfDocument Read()
    {
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_++];
            switch (c) {
            case '{':
                OpenGroup();
                break;
            case '}':
                CloseGroup();
                break;
            case '\\':
                ReadControl();
                break;
            case '\r':
            case '\n':
                break;
            default:
                AppendCharacter(cp1252::ToUnicode(static_cast<std::uint8_t>(c)));
                break;
            }
        }
        if (!paragraph_.runs.empty()) EndParagraph();
        return std::move(document_);
    }

  private:
    GroupState& State() { return groups_.back(); }

    void OpenGroup()
    {
        pendingSkip_ = 0;
        if (groups_.size() < kMaxGroupDepth)
            groups_.push_back(groups_.back());
        else
            ++overflowDepth_;
    }

    void CloseGroup()
    {
        pendingSkip_ = 0;
        if (overflowDepth_ > 0)
            --overflowDepth_;
        else if (groups_.size() > 1) // a stray "}" closes nothing
            groups_.pop_back();
    }

    void ReadControl()
    {
        if (pos_ >= rtf_.size()) return;
        const char c = rtf_[pos_];
        if (IsLetter(c)) {
            const ControlWord word = ReadWord();
            if (pendingSkip_ > 0) {
                --pendingSkip_;
                if (word.name == "bin") SkipBinary(word);
                return;
            }
            ApplyWord(word);
            return;
        }
        ++pos_;
        if (c == '\'') {
            ReadHexEscape();
            return;
        }
        if (pendingSkip_ > 0 && c != '*') {
            --pendingSkip_;
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
            AppendCharacter(static_cast<char16_t>(c));
            break;
        case '~':
            AppendCharacter(u'\u00A0');
            break;
        case '_':
            AppendCharacter(u'\u2011');
            break;
        case '*':
            State().skipped = true;
            break;
        case '\r':
        case '\n':
            EndParagraph();
            break;
        default:
            break; // optional hyphens, index marks and symbols this reader has no use for
        }
    }

    ControlWord ReadWord()
    {
        ControlWord word;
        const std::size_t start = pos_;
        while (pos_ < rtf_.size() && IsLetter(rtf_[pos_]))
            ++pos_;
        word.name = rtf_.substr(start, std::min(pos_ - start, kMaxWordLength));
        const bool negative = pos_ + 1 < rtf_.size() && rtf_[pos_] == '-' && IsDigit(rtf_[pos_ + 1]);
        if (negative) ++pos_;
        long long value = 0;
        while (pos_ < rtf_.size() && IsDigit(rtf_[pos_])) {
            word.hasParameter = true;
            value = std::min<long long>(value * 10 + (rtf_[pos_] - '0'), 1LL << 40);
            ++pos_;
        }
        if (negative) value = -value;
        word.parameter = static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;
        return word;
    }

    void ReadHexEscape()
    {
        if (pos_ + 2 > rtf_.size()) {
            pos_ = rtf_.size();
            return;
        }
        const int high = HexValue(rtf_[pos_]);
        const int low = HexValue(rtf_[pos_ + 1]);
        if (high < 0 || low < 0) return; // not an escape after all: the characters are read as text
        pos_ += 2;
        AppendCharacter(cp1252::ToUnicode(static_cast<std::uint8_t>(high * 16 + low)));
    }

    void SkipBinary(const ControlWord& word)
    {
        const std::size_t length = word.parameter > 0 ? static_cast<std::size_t>(word.parameter) : 0;
        pos_ += std::min(length, rtf_.size() - pos_);
    }

    void ApplyWord(const ControlWord& word)
    {
        const std::string_view name = word.name;
        if (name == "bin") {
            SkipBinary(word);
            return;
        }
        if (name == "pnlvlblt") { // the bullet level of a list, inside its skipped "\pn" group
            bullet_ = true;
            return;
        }
        if (State().skipped) return;
        if (std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), name) !=
            kSkippedDestinations.end()) {
            State().skipped = true;
            return;
        }
        if (name == "par" || name == "page" || name == "sect") {
            EndParagraph();
        } else if (name == "pard") {
            alignment_ = RtfAlignment::Left;
            bullet_ = false;
        } else if (name == "ql") {
            alignment_ = RtfAlignment::Left;
        } else if (name == "qc") {
            alignment_ = RtfAlignment::Centre;
        } else if (name == "qr") {
            alignment_ = RtfAlignment::Right;
        } else if (name == "qj") {
            alignment_ = RtfAlignment::Justify;
        } else if (name == "ls") {
            bullet_ = !word.hasParameter || word.parameter > 0;
        } else if (name == "fs") {
            State().halfPoints =
                word.hasParameter ? std::clamp(word.parameter, kMinHalfPoints, kMaxHalfPoints) : 24;
        } else if (name == "b") {
            State().bold = !word.hasParameter || word.parameter != 0;
        } else if (name == "plain") {
            State().halfPoints = 24;
            State().bold = false;
        } else if (name == "uc") {
            State().unicodeSkip = std::clamp(word.parameter, 0, kMaxUnicodeSkip);
        } else if (name == "u") {
            AppendCharacter(static_cast<char16_t>(static_cast<std::uint32_t>(word.parameter) & 0xFFFF));
            pendingSkip_ = State().unicodeSkip;
        } else {
            ApplyCharacterWord(name);
        }
    }

    void ApplyCharacterWord(std::string_view name)
    {
        struct Named
        {
            std::string_view name;
            char16_t character;
        };
        static constexpr std::array<Named, 9> kCharacters = {{
            {"tab", u'\t'},
            {"line", u'\u2028'},
            {"emdash", u'\u2014'},
            {"endash", u'\u2013'},
            {"bullet", u'\u2022'},
            {"lquote", u'\u2018'},
            {"rquote", u'\u2019'},
            {"ldblquote", u'\u201C'},
            {"rdblquote", u'\u201D'},
        }};
        for (const Named& named : kCharacters)
            if (named.name == name) AppendCharacter(named.character);
    }

    void AppendCharacter(char16_t character)
    {
        if (State().skipped) return;
        if (pendingSkip_ > 0) { // the stand-in written for readers that do not know "\u"
            --pendingSkip_;
            return;
        }
        std::vector<RtfRun>& runs = paragraph_.runs;
        RtfRun format{{}, State().halfPoints, State().bold};
        if (runs.empty() || !runs.back().SameFormat(format)) runs.push_back(std::move(format));
        runs.back().text.push_back(character);
    }

    void EndParagraph()
    {
        if (State().skipped) return;
        paragraph_.alignment = alignment_;
        paragraph_.bullet = bullet_;
        document_.paragraphs.push_back(std::move(paragraph_));
        paragraph_ = {};
    }

    std::string_view rtf_;
    std::size_t pos_ = 0;
    std::vector<GroupState> groups_;
    std::size_t overflowDepth_ = 0;
    int pendingSkip_ = 0;
    RtfAlignment alignment_ = RtfAlignment::Left;
    bool bullet_ = false;
    RtfParagraph paragraph_;
    RtfDocument document_;
};

} // namespace

std::u16string RtfParagraph::Text() const
{
    std::u16string text;
    for (const RtfRun& run : runs)
        text += run.text;
    return text;
}

RtfDocument ReadRtf(std::string_view rtf)
{
    return Reader(rtf).Read();
}

} // namespace ondrix::windows
