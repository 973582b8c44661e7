#include "fragmentdescription.h"

namespace {

QString Short(const QUrl &url)
{
    QString sText = url.toString();
    const QString sLocal = QStringLiteral("http://127.0.0.1/");
    return sText.startsWith(sLocal) ? sText.sliced(sLocal.size()) : sText;
}

} // namespace

QStringList DescribeFragments(const FragmentTrack &track)
{
    QStringList lines;
    for (const StreamFragment &fragment : track.fragments) {
        QString sLine = Short(fragment.url);
        if (fragment.lLength >= 0)
            sLine += QStringLiteral("@%1+%2").arg(fragment.lOffset).arg(fragment.lLength);
        if (fragment.bInit)
            sLine += QStringLiteral(" init");
        if (fragment.bDiscontinuity)
            sLine += QStringLiteral(" disc");
        if (!fragment.bInit)
            sLine += QStringLiteral(" #%1").arg(fragment.uSequence);
        if (fragment.IsEncrypted())
            sLine += QStringLiteral(" key=%1 iv=%2").arg(Short(fragment.keyUrl), QString::fromLatin1(fragment.iv.toHex()));
        lines.append(sLine);
    }
    return lines;
}
