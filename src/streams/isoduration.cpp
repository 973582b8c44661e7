#include "streams/isoduration.h"

#include <cmath>

std::optional<double> IsoDuration::Seconds(QStringView text)
{
    text = text.trimmed();
    if (!text.startsWith(u'P'))
        return std::nullopt;
    double dTotal = 0;
    bool bTime = false;
    bool bAny = false;
    qsizetype i = 1;
    while (i < text.size()) {
        if (text.at(i) == u'T') {
            if (bTime)
                return std::nullopt;
            bTime = true;
            ++i;
            continue;
        }
        const qsizetype iStart = i;
        while (i < text.size() && (text.at(i).isDigit() || text.at(i) == u'.'))
            ++i;
        if (i == iStart || i == text.size())
            return std::nullopt;
        bool bOk = false;
        const double dValue = text.sliced(iStart, i - iStart).toDouble(&bOk);
        if (!bOk)
            return std::nullopt;
        double dUnit = 0;
        switch (text.at(i).unicode()) {
        case u'Y': dUnit = bTime ? 0 : 365 * 86400.0; break;
        case u'M': dUnit = bTime ? 60 : 30 * 86400.0; break;
        case u'W': dUnit = bTime ? 0 : 7 * 86400.0; break;
        case u'D': dUnit = bTime ? 0 : 86400; break;
        case u'H': dUnit = bTime ? 3600 : 0; break;
        case u'S': dUnit = bTime ? 1 : 0; break;
        default: break;
        }
        if (dUnit == 0)
            return std::nullopt;
        dTotal += dValue * dUnit;
        bAny = true;
        ++i;
    }
    if (!bAny || !std::isfinite(dTotal))
        return std::nullopt;
    return dTotal;
}
