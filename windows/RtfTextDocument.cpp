#include "windows/RtfTextDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <cmath>

namespace ondrix::windows {
namespace {

constexpr int kBulletIndentPixels = 14;

Qt::Alignment ToQt(RtfAlignment alignment)
{
    switch (alignment) {
    case RtfAlignment::Centre:
        return Qt::AlignHCenter;
    case RtfAlignment::Right:
        return Qt::AlignRight;
    case RtfAlignment::Justify:
        return Qt::AlignJustify;
    case RtfAlignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

RtfAlignment FromQt(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignHCenter) return RtfAlignment::Centre;
    if (alignment & Qt::AlignRight) return RtfAlignment::Right;
    if (alignment & Qt::AlignJustify) return RtfAlignment::Justify;
    return RtfAlignment::Left;
}

// Text as the text document takes it: its paragraph breaks would split the block.
QString BlockText(const std::u16string& text)
{
    QString result = QString::fromStdU16String(text);
    for (QChar& c : result)
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator) c = QChar::LineSeparator;
    return result;
}

QTextCharFormat CharFormatOf(const RtfRun& run)
{
    QTextCharFormat format;
    format.setFontPointSize(run.halfPoints / 2.0);
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    return format;
}

int HalfPointsOf(const QTextCharFormat& format, const QFont& documentFont)
{
    double points = format.fontPointSize();
    if (points <= 0) points = documentFont.pointSizeF();
    if (points <= 0) points = 12;
    return std::clamp(static_cast<int>(std::lround(points * 2)), kMinHalfPoints, kMaxHalfPoints);
}

} // namespace

void FillTextDocument(const RtfDocument& document, QTextDocument& target)
{
    target.clear();
    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    target.setDefaultFont(arial);
    QTextCursor cursor(&target);
    QTextList* list = nullptr;
    bool first = true;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        QTextBlockFormat blockFormat;
        blockFormat.setAlignment(ToQt(paragraph.alignment));
        // The block's own character format sizes its bullet: that of its first run.
        const QTextCharFormat blockCharFormat =
            CharFormatOf(paragraph.runs.empty() ? RtfRun{} : paragraph.runs.front());
        if (first) {
            cursor.setBlockFormat(blockFormat);
            cursor.setBlockCharFormat(blockCharFormat);
        } else {
            cursor.insertBlock(blockFormat, blockCharFormat);
        }
        first = false;
        if (paragraph.bullet) {
            // Neighbouring bullets form one list, as they read.
            if (list)
                list->add(cursor.block());
            else {
                QTextListFormat listFormat;
                listFormat.setStyle(QTextListFormat::ListDisc);
                listFormat.setIndent(1);
                list = cursor.createList(listFormat);
            }
        } else {
            list = nullptr;
        }
        for (const RtfRun& run : paragraph.runs) {
            cursor.insertText(BlockText(run.text), CharFormatOf(run));
        }
    }
    target.setIndentWidth(kBulletIndentPixels);
}

RtfDocument FromTextDocument(const QTextDocument& source)
{
    RtfDocument document;
    const QFont documentFont = source.defaultFont();
    for (QTextBlock block = source.begin(); block.isValid(); block = block.next()) {
        RtfParagraph paragraph;
        paragraph.alignment = FromQt(block.blockFormat().alignment());
        paragraph.bullet = block.textList() != nullptr;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.text().isEmpty()) continue;
            const QTextCharFormat format = fragment.charFormat();
            RtfRun run{fragment.text().toStdU16String(), HalfPointsOf(format, documentFont),
                       format.fontWeight() >= QFont::DemiBold};
            if (!paragraph.runs.empty() && paragraph.runs.back().SameFormat(run))
                paragraph.runs.back().text += run.text;
            else
                paragraph.runs.push_back(std::move(run));
        }
        document.paragraphs.push_back(std::move(paragraph));
    }
    return document;
}

} // namespace ondrix::windows
