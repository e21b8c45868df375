// The RTF reader and writer: round trips through text and through Qt's text
// document, the escapes and destinations of real files, and input that is
// truncated, unbalanced or not RTF at all.
#include "windows/HelpPages.h"
#include "windows/RtfReader.h"
#include "windows/RtfTextDocument.h"
#include "windows/RtfWriter.h"

#include <QTextDocument>
#include <gtest/gtest.h>
#include <random>

namespace ondrix::windows {
namespace {

RtfParagraph Paragraph(std::vector<RtfRun> runs, RtfAlignment alignment = RtfAlignment::Left,
                       bool bullet = false)
{
    return RtfParagraph{alignment, bullet, std::move(runs)};
}

RtfDocument EveryFeature()
{
    RtfDocument document;
    document.paragraphs.push_back(Paragraph({{u"Title", 32, true}}, RtfAlignment::Centre));
    document.paragraphs.push_back(Paragraph({}));
    document.paragraphs.push_back(
        Paragraph({{u"plain ", 18, false}, {u"bold", 18, true}, {u" 9 pt", 18, false}}));
    document.paragraphs.push_back(Paragraph({{u"first bullet", 20, false}}, RtfAlignment::Left, true));
    document.paragraphs.push_back(Paragraph({{u"second\tbullet", 20, true}}, RtfAlignment::Left, true));
    document.paragraphs.push_back(Paragraph({{u"right", 2, false}}, RtfAlignment::Right));
    document.paragraphs.push_back(Paragraph({{u"justified", kMaxHalfPoints, false}}, RtfAlignment::Justify));
    // Escapes: RTF's own specials, code page 1252, Unicode beyond it (one
    // surrogate pair), a line break inside a paragraph, control characters.
    document.paragraphs.push_back(
        Paragraph({{u"\\{}} caf\u00e9 \u20ac5 \u2014 \u00b5F \u03a9 \u4e2d \U0001F600 a\u2028b "
                    u"\x01\x7f\xad~",
                    24, false}}));
    return document;
}

std::string_view View(const std::string& text)
{
    return text;
}

TEST(RtfRoundTrip, WriterOutputReadsBackToTheSameDocument)
{
    const RtfDocument document = EveryFeature();
    const std::string rtf = WriteRtf(document);
    EXPECT_EQ(ReadRtf(rtf), document) << rtf;
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);
    for (const char c : rtf)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "RTF is written as 7-bit text";
    EXPECT_EQ(ReadRtf(WriteRtf(RtfDocument{})), RtfDocument{});
}

TEST(RtfRoundTrip, QtTextDocumentKeepsSizesWeightsAlignmentsAndBullets)
{
    QTextDocument text;
    const RtfDocument document = EveryFeature();
    FillTextDocument(document, text);
    EXPECT_EQ(FromTextDocument(text), document);

    // Every help page survives the trip through the view, so an export gives the page.
    for (int id = 1; id <= 4; ++id) {
        const RtfDocument page = helppages::LoadPage(id);
        FillTextDocument(page, text);
        EXPECT_EQ(FromTextDocument(text), page) << "page " << id;
    }
}

TEST(RtfReader, ReadsWhatOtherWritersPutInAFile)
{
    const RtfDocument document = ReadRtf(
        View("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl "
             ";\\red255\\green0\\blue0;}"
             "{\\*\\generator Some Writer 1.0;}{\\info{\\title Hidden}}{\\header header text\\par}"
             "\\pard\\qc\\b\\fs28 Ti\\'e9tle\\b0\\par\n"
             "\\pard{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'B7}}\\fs20 item \\u8364?5 \\uc0\\u937 "
             "x\\uc2\\u20013\\'3f\\'3fy\\par\n"
             "\\pard\\qr{\\pict\\pngblip 89504e47}\\bin3 {}x\\plain after\\line next\\~\\emdash\\par\r\n"
             "\\pard last line without par}"));
    ASSERT_EQ(document.paragraphs.size(), 4u);
    EXPECT_EQ(document.paragraphs[0], Paragraph({{u"Ti\u00e9tle", 28, true}}, RtfAlignment::Centre));
    EXPECT_EQ(document.paragraphs[1],
              Paragraph({{u"item \u20ac5 \u03a9x\u4e2dy", 20, false}}, RtfAlignment::Left, true));
    EXPECT_EQ(document.paragraphs[2],
              Paragraph({{u"after\u2028next\u00a0\u2014", 24, false}}, RtfAlignment::Right));
    EXPECT_EQ(document.paragraphs[3].Text(), u"last line without par");
}

TEST(RtfReader, HelpPagesReadAsAuthored)
{
    const RtfDocument keys = helppages::LoadPage(3);
    ASSERT_FALSE(keys.paragraphs.empty());
    EXPECT_EQ(keys.paragraphs[0], Paragraph({{u"Keyboard Shortcuts", 28, true}}, RtfAlignment::Centre));
    int bullets = 0;
    bool shiftKeys = false;
    for (const RtfParagraph& paragraph : keys.paragraphs) {
        if (!paragraph.bullet) continue;
        ++bullets;
        EXPECT_EQ(paragraph.runs.at(0).halfPoints, 20);
        shiftKeys = shiftKeys || paragraph.Text().starts_with(
                                     u"Shift+1 to Shift+4 select the frequency 1, 10, 100 or 1000 Hz");
    }
    EXPECT_EQ(bullets, 12);
    EXPECT_TRUE(shiftKeys);
    EXPECT_EQ(helppages::LoadPage(1).paragraphs.at(0).runs.at(0).halfPoints, 32);
    EXPECT_EQ(helppages::LoadPage(4).paragraphs.at(0).Text(), u"Troubleshooting Ondrix");
    EXPECT_THROW(helppages::LoadPage(5), std::runtime_error);
}

TEST(RtfReader, MalformedInputGivesADocumentAndNeverFails)
{
    // Every prefix of a real page: truncated files read as far as they go.
    const std::string page = WriteRtf(EveryFeature());
    for (std::size_t length = 0; length <= page.size(); ++length)
        (void)ReadRtf(View(page.substr(0, length)));

    EXPECT_EQ(ReadRtf(View("}}}plain{{")).paragraphs.at(0).Text(), u"plain");
    EXPECT_EQ(ReadRtf(View(std::string(100000, '{') + "deep" + std::string(100000, '}') + "flat"))
                  .paragraphs.at(0)
                  .Text(),
              u"deepflat");
    const RtfDocument huge =
        ReadRtf(View("\\fs99999999999999999999 a\\fs-5 b\\uc999999999 \\u-99999999999 c\\'zz\\"));
    ASSERT_EQ(huge.paragraphs.size(), 1u);
    EXPECT_EQ(huge.paragraphs[0].runs.at(0), (RtfRun{u"a", kMaxHalfPoints, false}));
    EXPECT_EQ(huge.paragraphs[0].runs.at(1).halfPoints, kMinHalfPoints);
    EXPECT_EQ(ReadRtf(View("\\bin999999 gone")), RtfDocument{});
    EXPECT_EQ(ReadRtf(View(std::string("a\0b", 3))).paragraphs.at(0).Text(),
              (std::u16string{u'a', u'\0', u'b'}));

    // Random bytes: whatever is read writes and reads back the same.
    std::mt19937 random(14);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::string alphabet = "{}\\'*abfsuparqcdl0123456789- \r\n";
    for (int round = 0; round < 300; ++round) {
        std::string input;
        for (int i = 0; i < 200; ++i)
            input += round % 2 ? static_cast<char>(byte(random)) : alphabet[byte(random) % alphabet.size()];
        const RtfDocument first = ReadRtf(input);
        EXPECT_EQ(ReadRtf(WriteRtf(first)), first) << input;
    }
}

} // namespace
} // namespace ondrix::windows
