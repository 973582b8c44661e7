#include "sites/pagetext.h"

#include <QByteArrayView>

#include <array>
#include <optional>

namespace {

// Lower case for the Latin-1 range, the same folding QChar applies there
// (0xD7 and 0xDF have no lower-case partner inside Latin-1).
constexpr std::array<char, 256> MakeFoldTable()
{
    std::array<char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const bool bUpper = (i >= 'A' && i <= 'Z') || (i >= 0xC0 && i <= 0xDE && i != 0xD7);
        table[i] = static_cast<char>(bUpper ? i + 0x20 : i);
    }
    return table;
}

constexpr std::array<char, 256> kFold = MakeFoldTable();

QByteArray Folded(QByteArray bytes)
{
    for (char &c : bytes)
        c = kFold[static_cast<unsigned char>(c)];
    return bytes;
}

// The needle in the page's folded byte form; nothing when it holds a
// character no single byte can stand for, so it cannot occur in the page.
std::optional<QByteArray> FoldedNeedle(QStringView x)
{
    QByteArray bytes;
    bytes.reserve(x.size());
    for (QChar ch : x) {
        if (ch.unicode() > 0xFF)
            return std::nullopt;
        bytes.append(kFold[ch.unicode()]);
    }
    return bytes;
}

} // namespace

PageText::PageText(QByteArray page)
    : m_page(std::move(page))
    , m_folded(Folded(m_page))
{
}

qsizetype PageText::find(QStringView x, qsizetype from) const
{
    if (from <= 0)
        throw Failure();
    if (from > length())
        return 0;
    const std::optional<QByteArray> needle = FoldedNeedle(x);
    if (!needle)
        return 0;
    return QByteArrayView(m_folded).indexOf(*needle, from - 1) + 1;
}

qsizetype PageText::findBack(QStringView x, qsizetype at) const
{
    if (at <= 0)
        throw Failure();
    const std::optional<QByteArray> needle = FoldedNeedle(x);
    if (!needle)
        return 0;
    const qsizetype lastStart = qMin(at, length()) - needle->size();
    // lastIndexOf reads a negative start as "from the end", so rule it out.
    if (lastStart < 0)
        return 0;
    return QByteArrayView(m_folded).lastIndexOf(*needle, lastStart) + 1;
}

QString PageText::piece(qsizetype a, qsizetype b) const
{
    if (a <= 0 || b < a)
        throw Failure();
    if (a > length())
        return QString();
    return QString::fromLatin1(QByteArrayView(m_page).sliced(a - 1, qMin(b, length() + 1) - a));
}
