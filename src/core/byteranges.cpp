#include "core/byteranges.h"

#include <algorithm>

ByteRanges::ByteRanges(const QList<Span> &spans)
{
    for (const Span &span : spans)
        Add(span.lFrom, span.lTo);
}

void ByteRanges::Add(qint64 lFrom, qint64 lTo)
{
    if (lTo <= lFrom)
        return;
    // The first span that ends at or after lFrom: everything before it stays.
    auto it = std::lower_bound(m_spans.begin(), m_spans.end(), lFrom,
                               [](const Span &span, qint64 lAt) { return span.lTo < lAt; });
    // The common case, a span that grows at its end, stays in place.
    if (it != m_spans.end() && it->lFrom <= lFrom
        && (it + 1 == m_spans.end() || (it + 1)->lFrom > lTo)) {
        it->lTo = qMax(it->lTo, lTo);
        return;
    }
    auto last = it;
    while (last != m_spans.end() && last->lFrom <= lTo) {
        lFrom = qMin(lFrom, last->lFrom);
        lTo = qMax(lTo, last->lTo);
        ++last;
    }
    const qsizetype iAt = it - m_spans.begin();
    m_spans.erase(it, last);
    m_spans.insert(iAt, Span{lFrom, lTo});
}

qint64 ByteRanges::Covered() const
{
    qint64 lBytes = 0;
    for (const Span &span : m_spans)
        lBytes += span.Length();
    return lBytes;
}

qint64 ByteRanges::PrefixEnd() const
{
    return !m_spans.isEmpty() && m_spans.first().lFrom == 0 ? m_spans.first().lTo : 0;
}

QList<ByteRanges::Span> ByteRanges::Missing(qint64 lTotal) const
{
    QList<Span> missing;
    qint64 lAt = 0;
    for (const Span &span : m_spans) {
        if (span.lFrom >= lTotal)
            break;
        if (span.lFrom > lAt)
            missing.append({lAt, span.lFrom});
        lAt = qMax(lAt, span.lTo);
    }
    if (lAt < lTotal)
        missing.append({lAt, lTotal});
    return missing;
}

QByteArray ByteRanges::Encode() const
{
    QByteArray text;
    for (const Span &span : m_spans) {
        if (!text.isEmpty())
            text += ',';
        text += QByteArray::number(span.lFrom) + '-' + QByteArray::number(span.lTo);
    }
    return text;
}

std::optional<ByteRanges> ByteRanges::Decode(QByteArrayView text, qint64 lTotal)
{
    ByteRanges ranges;
    if (text.isEmpty())
        return ranges;
    qint64 lEnd = -1;
    for (const QByteArrayView part : text.toByteArray().split(',')) {
        const qsizetype iDash = part.indexOf('-');
        if (iDash <= 0)
            return std::nullopt;
        bool bFrom = false;
        bool bTo = false;
        const qint64 lFrom = part.first(iDash).toLongLong(&bFrom);
        const qint64 lTo = part.sliced(iDash + 1).toLongLong(&bTo);
        // In order and apart, as Encode writes them: anything else was not.
        if (!bFrom || !bTo || lFrom <= lEnd || lTo <= lFrom || lTo > lTotal)
            return std::nullopt;
        ranges.m_spans.append({lFrom, lTo});
        lEnd = lTo;
    }
    return ranges;
}
