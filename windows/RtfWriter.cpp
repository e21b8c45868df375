#include "windows/RtfWriter.h"

#include "windows/Cp1252.h"

#include <cstdio>

namespace ondrix::windows {
namespace {

constexpr const char* kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0"
    "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
    "\\viewkind4\\uc1";
// The bullet as older readers draw it (\pntext) and as the list it belongs to.
constexpr const char* kBullet = "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
                                "\\fi-200\\li200";

class Writer
{
  public:
    std::string Write(const RtfDocument& document)
    {
        out_ = kHeader;
        wordEnded_ = false;
        for (const RtfParagraph& paragraph : document.paragraphs)
            WriteParagraph(paragraph);
        out_ += "}\r\n";
        return std::move(out_);
    }

  private:
    void Word(const std::string& word)
    {
        out_ += '\\';
        out_ += word;
        wordEnded_ = true;
    }

    void Symbol(const std::string& symbol) { out_ += symbol; }

    void Literal(char c)
    {
        if (wordEnded_) out_ += ' '; // ends the control word before it
        wordEnded_ = false;
        out_ += c;
    }

    void WriteParagraph(const RtfParagraph& paragraph)
    {
        Word("pard");
        switch (paragraph.alignment) {
        case RtfAlignment::Left:
            break;
        case RtfAlignment::Centre:
            Word("qc");
            break;
        case RtfAlignment::Right:
            Word("qr");
            break;
        case RtfAlignment::Justify:
            Word("qj");
            break;
        }
        if (paragraph.bullet) {
            out_ += kBullet;
            wordEnded_ = true;
        }
        for (const RtfRun& run : paragraph.runs) {
            if (run.bold != bold_) Word(run.bold ? "b" : "b0");
            if (run.halfPoints != halfPoints_) Word("fs" + std::to_string(run.halfPoints));
            bold_ = run.bold;
            halfPoints_ = run.halfPoints;
            for (char16_t c : run.text)
                WriteCharacter(c);
        }
        Word("par");
        out_ += "\r\n";
        wordEnded_ = false;
    }

    void WriteCharacter(char16_t c)
    {
        if (c == u'\\' || c == u'{' || c == u'}') {
            Symbol(std::string{'\\', static_cast<char>(c)});
            wordEnded_ = false;
        } else if (c == u'\t') {
            Word("tab");
        } else if (c == u'\u2028') {
            Word("line");
        } else if (c >= 0x20 && c < 0x7F) {
            Literal(static_cast<char>(c));
        } else if (const auto byte = cp1252::FromUnicode(c)) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\'%02x", *byte);
            Symbol(escape);
            wordEnded_ = false;
        } else {
            // \uN takes a signed 16-bit number; the "?" stands in for readers without Unicode.
            Word("u" + std::to_string(c > 0x7FFF ? static_cast<int>(c) - 0x10000 : static_cast<int>(c)));
            Symbol("?");
            wordEnded_ = false;
        }
    }

    std::string out_;
    bool wordEnded_ = false;
    int halfPoints_ = 24;
    bool bold_ = false;
};

} // namespace

std::string WriteRtf(const RtfDocument& document)
{
    return Writer().Write(document);
}

} // namespace ondrix::windows
