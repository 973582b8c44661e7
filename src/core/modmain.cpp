#include "core/modmain.h"

#include <QLocale>

#include <charconv>
#include <cmath>

namespace modMain {

namespace {

constexpr double kKB = 1024.0;
constexpr double kMB = 1048576.0;
constexpr double kGB = 1073741824.0;
constexpr double kTB = 1099511627776.0;

// Writes a number the way the size texts show it: the shortest general form,
// at most iDigits significant digits, an upper-case exponent when one is
// needed, and the locale's decimal separator.
template <typename Number>
qsizetype WriteNumber(Number value, int iDigits, char16_t *pOut, QChar cDecimal)
{
    // The unit (" Bytes" at most) must still fit behind the number.
    char digits[kSizeTextCapacity - 8];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, iDigits);
    qsizetype iLength = 0;
    for (const char *p = digits; p < result.ptr; ++p) {
        const char c = *p == 'e' ? 'E' : *p;
        pOut[iLength++] = c == '.' ? cDecimal.unicode() : char16_t(c);
    }
    return iLength;
}

qsizetype Append(const char *sUnit, char16_t *pOut, qsizetype iLength)
{
    for (const char *p = sUnit; *p; ++p)
        pOut[iLength++] = char16_t(*p);
    return iLength;
}

// Round to one decimal with halves to the even digit (the default rounding
// mode makes nearbyint do that).
double RoundToTenths(double dValue)
{
    return std::nearbyint(dValue * 10.0) / 10.0;
}

} // namespace

qsizetype FormatSizeTo(double dCount, char16_t *pOut, QChar cDecimal)
{
    if (dCount < kKB) {
        const qsizetype iLength = WriteNumber(static_cast<float>(dCount), 7, pOut, cDecimal);
        return Append(" Bytes", pOut, iLength);
    }
    if (dCount < kMB) {
        // The KB figure is worked out in single precision, as it always was.
        const float fKB = static_cast<float>(dCount) / 1024.0f;
        const float fRounded = static_cast<float>(RoundToTenths(fKB));
        return Append(" KB", pOut, WriteNumber(fRounded, 7, pOut, cDecimal));
    }
    if (dCount < kGB)
        return Append(" MB", pOut, WriteNumber(RoundToTenths(dCount / kMB), 15, pOut, cDecimal));
    if (dCount < kTB)
        return Append(" GB", pOut, WriteNumber(RoundToTenths(dCount / kGB), 15, pOut, cDecimal));
    return 0;
}

QChar DecimalSeparator()
{
    const QString sPoint = QLocale().decimalPoint();
    return sPoint.isEmpty() ? QLatin1Char('.') : sPoint.front();
}

QString FormatSize(double dCount)
{
    char16_t text[kSizeTextCapacity];
    const qsizetype iLength = FormatSizeTo(dCount, text, DecimalSeparator());
    return QString(reinterpret_cast<const QChar *>(text), iLength);
}

QString CleanFileName(const QString &sName)
{
    static constexpr char16_t kForbidden[] = u"\\/:*?\"<>|&,";
    QString sClean;
    sClean.reserve(sName.size());
    for (const QChar c : sName) {
        if (c.category() == QChar::Other_Control)
            continue;
        if (std::char_traits<char16_t>::find(kForbidden, std::size(kForbidden) - 1, c.unicode()))
            continue;
        sClean.append(c);
    }
    if (sClean.isEmpty() || sClean == QLatin1StringView(".") || sClean == QLatin1StringView(".."))
        return QStringLiteral("Enter File Name");
    return sClean;
}

namespace {

// Longer "extensions" are part of the name: a dot in a sentence is no type.
constexpr qsizetype kMaxExtensionLength = 16;

qsizetype ExtensionStart(const QString &sName)
{
    const qsizetype iDot = sName.lastIndexOf(QLatin1Char('.'));
    if (iDot <= 0 || sName.size() - iDot > kMaxExtensionLength)
        return sName.size();
    return iDot;
}

qsizetype Utf8Length(QStringView s)
{
    qsizetype iBytes = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < 0x80)
            iBytes += 1;
        else if (c < 0x800)
            iBytes += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode())) {
            iBytes += 4;
            ++i;
        } else
            iBytes += 3;
    }
    return iBytes;
}

// The longest start of sStem that takes at most iBytes bytes, never ending
// inside a surrogate pair.
QString CutToBytes(const QString &sStem, qsizetype iBytes)
{
    qsizetype iEnd = sStem.size();
    qsizetype iLength = Utf8Length(sStem);
    while (iEnd > 0 && iLength > iBytes) {
        qsizetype iStart = iEnd - 1;
        if (iStart > 0 && sStem[iStart].isLowSurrogate() && sStem[iStart - 1].isHighSurrogate())
            --iStart;
        iLength -= Utf8Length(QStringView(sStem).mid(iStart, iEnd - iStart));
        iEnd = iStart;
    }
    return sStem.left(iEnd);
}

QString FitWithInsert(const QString &sName, const QString &sInsert, int iMaxBytes)
{
    const qsizetype iExt = ExtensionStart(sName);
    const QString sExt = sName.mid(iExt);
    const qsizetype iRoom = iMaxBytes - Utf8Length(sExt) - Utf8Length(sInsert);
    return CutToBytes(sName.left(iExt), qMax<qsizetype>(iRoom, 0)) + sInsert + sExt;
}

} // namespace

QString FitFileName(const QString &sName, int iMaxBytes)
{
    if (Utf8Length(sName) <= iMaxBytes)
        return sName;
    return FitWithInsert(sName, QString(), iMaxBytes);
}

QString NumberedFileName(const QString &sName, int iNumber, int iMaxBytes)
{
    return FitWithInsert(sName, QStringLiteral(" (%1)").arg(iNumber), iMaxBytes);
}

} // namespace modMain
