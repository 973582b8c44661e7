#include "core/cliphandover.h"

#include <QDir>

#include "core/runtimedir.h"

namespace {

// A frame's text in UTF-8 never takes more than four bytes a character.
constexpr qsizetype kMaxFrameBytes = ClipHandOver::kMaxTextLength * 4 + 1;

} // namespace

QString ClipHandOver::SocketDir()
{
    return ProgramRuntimeDir();
}

QString ClipHandOver::ProgramEndpoint(qint64 iNumber)
{
    const QString sDir = SocketDir();
    return sDir.isEmpty() ? QString()
                          : QDir(sDir).filePath(QStringLiteral("program-%1").arg(iNumber));
}

QString ClipHandOver::WatcherEndpoint()
{
    const QString sDir = SocketDir();
    return sDir.isEmpty() ? QString() : QDir(sDir).filePath(QStringLiteral("watcher"));
}

std::optional<QString> ClipHandOver::Forwardable(const QString &sText)
{
    QString sLine = sText;
    if (sLine.endsWith(QLatin1String("\r\n")))
        sLine.chop(2);
    else if (sLine.endsWith(u'\n') || sLine.endsWith(u'\r'))
        sLine.chop(1);
    if (sLine.isEmpty() || sLine.size() > kMaxTextLength || sLine.contains(u'\n')
        || sLine.contains(u'\r'))
        return std::nullopt;
    return sLine;
}

QByteArray ClipHandOver::Frame(const QString &sText)
{
    return sText.toUtf8() + '\n';
}

bool ClipHandOver::TakeFrame(QByteArray &buffer, QString &sText, bool &bOverlong)
{
    bOverlong = false;
    const qsizetype iEnd = buffer.indexOf('\n');
    if (iEnd < 0) {
        bOverlong = buffer.size() > kMaxFrameBytes;
        return false;
    }
    if (iEnd > kMaxFrameBytes) {
        bOverlong = true;
        return false;
    }
    sText = QString::fromUtf8(buffer.constData(), iEnd);
    buffer.remove(0, iEnd + 1);
    return true;
}
