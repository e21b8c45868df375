#include "windows/HelpPages.h"

#include "windows/RtfReader.h"

#include <QFile>
#include <stdexcept>

namespace ondrix::windows::helppages {
namespace {

QByteArray ReadResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

} // namespace

QStringList ContentsTitles()
{
    QStringList titles = QString::fromUtf8(ReadResource(QStringLiteral(":/help/TABLE"))).split(u'\n');
    for (QString& title : titles)
        if (title.endsWith(u'\r')) title.chop(1);
    if (!titles.isEmpty() && titles.last().isEmpty()) titles.removeLast(); // the final line break
    return titles;
}

RtfDocument LoadPage(int id)
{
    QFile file(QStringLiteral(":/help/%1.rtf").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Help page " + std::to_string(id) + " not found");
    const QByteArray rtf = file.readAll();
    return ReadRtf(std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
}

} // namespace ondrix::windows::helppages
