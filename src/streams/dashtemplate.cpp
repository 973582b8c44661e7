#include "streams/dashtemplate.h"

namespace {

// Wider than any number a segment gets: a width beyond this is a broken
// pattern, not a request for a long run of zeros.
constexpr int kMaxWidth = 32;

// "" or "%d" or "%0Nd"; -1 when broken.
int WidthOf(QStringView format)
{
    if (format.isEmpty() || format == u"%d")
        return 0;
    if (!format.startsWith(u"%0") || !format.endsWith(u'd'))
        return -1;
    bool bOk = false;
    const int iWidth = format.sliced(2, format.size() - 3).toInt(&bOk);
    return bOk && iWidth >= 0 && iWidth <= kMaxWidth ? iWidth : -1;
}

// "clipvane", n or t, the width in two digits, "x".
constexpr QLatin1StringView kToken("clipvane");
constexpr qsizetype kTokenSize = 12;

QString Token(bool bTime, int iWidth)
{
    return kToken + (bTime ? u't' : u'n') + QString::number(iWidth).rightJustified(2, u'0') + u'x';
}

} // namespace

std::optional<QString> DashTemplate::Fill(const QString &sPattern, const Values &values)
{
    QString sOut;
    qsizetype i = 0;
    while (i < sPattern.size()) {
        const qsizetype iOpen = sPattern.indexOf(u'$', i);
        if (iOpen < 0) {
            sOut += QStringView(sPattern).sliced(i);
            break;
        }
        const qsizetype iClose = sPattern.indexOf(u'$', iOpen + 1);
        if (iClose < 0)
            return std::nullopt;
        sOut += QStringView(sPattern).sliced(i, iOpen - i);
        i = iClose + 1;
        const QStringView identifier = QStringView(sPattern).sliced(iOpen + 1, iClose - iOpen - 1);
        if (identifier.isEmpty()) {
            sOut += u'$';
            continue;
        }
        if (identifier == u"RepresentationID") {
            sOut += values.sRepresentationId;
            continue;
        }
        const qsizetype iPercent = identifier.indexOf(u'%');
        const QStringView name = iPercent < 0 ? identifier : identifier.first(iPercent);
        const int iWidth = WidthOf(iPercent < 0 ? QStringView() : identifier.sliced(iPercent));
        if (iWidth < 0)
            return std::nullopt;
        QString sNumber;
        if (values.bTokens && (name == u"Number" || name == u"Time")) {
            sOut += Token(name == u"Time", iWidth);
            continue;
        }
        if (name == u"Number")
            sNumber = QString::number(values.uNumber);
        else if (name == u"Time")
            sNumber = QString::number(values.uTime);
        else if (name == u"Bandwidth")
            sNumber = QString::number(values.lBandwidth);
        else
            return std::nullopt;
        sOut += sNumber.rightJustified(iWidth, u'0');
    }
    return sOut;
}

qsizetype DashTemplate::TokenCount(const QString &sPattern)
{
    return sPattern.count(QLatin1StringView("$Number")) + sPattern.count(QLatin1StringView("$Time"));
}

std::optional<QString> DashTemplate::Renumber(const QString &sFilled, qsizetype iTokens, quint64 uNumber,
                                              quint64 uTime)
{
    QString sOut;
    sOut.reserve(sFilled.size() + 16);
    qsizetype iFound = 0;
    qsizetype i = 0;
    for (;;) {
        const qsizetype iAt = sFilled.indexOf(kToken, i);
        if (iAt < 0 || iAt + kTokenSize > sFilled.size()) {
            sOut += QStringView(sFilled).sliced(i);
            break;
        }
        const QStringView token = QStringView(sFilled).sliced(iAt, kTokenSize);
        bool bOk = false;
        const int iWidth = token.sliced(9, 2).toInt(&bOk);
        if (!bOk || token.at(11) != u'x' || (token.at(8) != u'n' && token.at(8) != u't'))
            return std::nullopt;
        sOut += QStringView(sFilled).sliced(i, iAt - i);
        sOut += QString::number(token.at(8) == u't' ? uTime : uNumber).rightJustified(iWidth, u'0');
        ++iFound;
        i = iAt + kTokenSize;
    }
    if (iFound != iTokens)
        return std::nullopt;
    return sOut;
}
