#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

#include <optional>

// A set of byte positions of a file, kept as sorted, disjoint, non-adjacent
// spans [lFrom, lTo). What a split transfer has written, or still needs.
class ByteRanges
{
public:
    struct Span
    {
        qint64 lFrom = 0;
        qint64 lTo = 0;
        qint64 Length() const { return lTo - lFrom; }
        bool operator==(const Span &) const = default;
    };

    ByteRanges() = default;
    explicit ByteRanges(const QList<Span> &spans);

    // Adds [lFrom, lTo), joining it with the spans it touches.
    void Add(qint64 lFrom, qint64 lTo);
    bool IsEmpty() const { return m_spans.isEmpty(); }
    const QList<Span> &Spans() const { return m_spans; }
    // Bytes in the set.
    qint64 Covered() const;
    // Where the span that starts at 0 ends; 0 when byte 0 is not in the set.
    qint64 PrefixEnd() const;
    // The spans of [0, lTotal) that are not in the set.
    QList<Span> Missing(qint64 lTotal) const;

    // "A-B,C-D": each span as its first byte and the byte after its last.
    QByteArray Encode() const;
    // Nothing for a text that is not such a list in order, without
    // overlaps, inside [0, lTotal].
    static std::optional<ByteRanges> Decode(QByteArrayView text, qint64 lTotal);

    bool operator==(const ByteRanges &) const = default;

private:
    QList<Span> m_spans;
};
