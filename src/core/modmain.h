#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

// Size texts and clean local file names.
namespace modMain {

// Room for the longest size text FormatSizeTo can write.
constexpr int kSizeTextCapacity = 32;

// The size text of a byte count: "512 Bytes", "1.5 KB", "3.2 MB", "1.1 GB",
// or empty text from 2^40 bytes on. Counts below 1024 keep the general form
// of a single-precision number ("1023.5 Bytes", "-1 Bytes"); the others are
// rounded to one decimal, halves to the even digit, without trailing zeros.
// The decimal separator is the default locale's.
QString FormatSize(double dCount);

// The same text written into pOut, which has room for kSizeTextCapacity
// characters, without allocating: the progress handler calls it for every
// block. Returns the number of characters written.
qsizetype FormatSizeTo(double dCount, char16_t *pOut, QChar cDecimal);

// The locale's decimal separator as FormatSizeTo takes it.
QChar DecimalSeparator();

// sName without the characters file names may not hold: \ / : * ? " < > | & ,
// and control characters. "Enter File Name" when nothing usable is left,
// which includes "." and "..", so that no name can leave its directory.
QString CleanFileName(const QString &sName);

// Longest local file name in bytes: what file systems take (255), less the
// ".part" a transfer adds while it writes.
constexpr int kMaxFileNameBytes = 255 - 5;

// sName cut to at most iMaxBytes bytes of UTF-8 (the file system's
// encoding), on a character boundary, keeping its extension.
QString FitFileName(const QString &sName, int iMaxBytes = kMaxFileNameBytes);

// "NAME (n).EXT" for sName "NAME.EXT" ("NAME (n)" without an extension),
// fitted like FitFileName with the number kept whole.
QString NumberedFileName(const QString &sName, int iNumber, int iMaxBytes = kMaxFileNameBytes);

} // namespace modMain
