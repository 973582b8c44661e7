#include "list/shownlisttext.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>

#include <vector>

namespace {

constexpr const char *kContext = "ShownListText";

// Every text the program writes into the list. A %N stands for a part that
// is shown as it is (a number, an address, a server's answer).
constexpr const char *kTexts[] = {
    // Download Status
    QT_TRANSLATE_NOOP("ShownListText", "Waiting"),
    QT_TRANSLATE_NOOP("ShownListText", "Complete"),
    QT_TRANSLATE_NOOP("ShownListText", "ERROR"),
    QT_TRANSLATE_NOOP("ShownListText", "Cancelled"),
    QT_TRANSLATE_NOOP("ShownListText", "Link is not supported"),
    QT_TRANSLATE_NOOP("ShownListText", "Start Downloading..."),
    QT_TRANSLATE_NOOP("ShownListText", "Preparing..."),
    QT_TRANSLATE_NOOP("ShownListText", "Preparing (%1%)"),
    QT_TRANSLATE_NOOP("ShownListText", "Retrying (%1/%2)…"),
    QT_TRANSLATE_NOOP("ShownListText", "%1 so far.."),
    // Local File Name, before the file has its name
    QT_TRANSLATE_NOOP("ShownListText", "Waiting (Auto Detect)"),
    QT_TRANSLATE_NOOP("ShownListText", "Un supported link"),
    QT_TRANSLATE_NOOP("ShownListText", "Process failed."),
    QT_TRANSLATE_NOOP("ShownListText", "Enter File Name"),
    // Why an item failed: the Status cell's tool tip
    QT_TRANSLATE_NOOP("ShownListText", "No supported site matches this address"),
    QT_TRANSLATE_NOOP("ShownListText", "The page names no video file"),
    QT_TRANSLATE_NOOP("ShownListText", "Video may be inappropriate and can not be downloaded"),
    QT_TRANSLATE_NOOP("ShownListText", "The page could not be fetched"),
    QT_TRANSLATE_NOOP("ShownListText", "The server sent a web page, not a video file"),
    QT_TRANSLATE_NOOP("ShownListText", "The server answered %1; nothing was saved"),
    QT_TRANSLATE_NOOP("ShownListText", "Could not find Url"),
    QT_TRANSLATE_NOOP("ShownListText", "Could not read URL"),
    QT_TRANSLATE_NOOP("ShownListText", "Cannot write %1"),
    QT_TRANSLATE_NOOP("ShownListText", "The stream was not saved"),
    QT_TRANSLATE_NOOP("ShownListText", "The address names no streaming playlist"),
    QT_TRANSLATE_NOOP("ShownListText", "The playlist is too large"),
    QT_TRANSLATE_NOOP("ShownListText", "The playlist could not be fetched: %1"),
    QT_TRANSLATE_NOOP("ShownListText", "Live streams are not supported"),
    QT_TRANSLATE_NOOP("ShownListText", "The stream is protected (DRM) and cannot be saved"),
    QT_TRANSLATE_NOOP("ShownListText", "The stream's playlist cannot be read (%1)"),
    QT_TRANSLATE_NOOP("ShownListText", "The stream's playlist holds nothing to save"),
    QT_TRANSLATE_NOOP("ShownListText", "The stream has more than %1 fragments"),
    QT_TRANSLATE_NOOP("ShownListText", "The stream's playlist refers to itself"),
    QT_TRANSLATE_NOOP("ShownListText", "The stream holds no video or audio"),
    QT_TRANSLATE_NOOP("ShownListText", "Could not write the record of %1"),
    QT_TRANSLATE_NOOP("ShownListText", "Could not write %1: %2"),
    QT_TRANSLATE_NOOP("ShownListText", "Could not open %1: %2"),
    QT_TRANSLATE_NOOP("ShownListText", "Cannot read %1: %2"),
    // What the connection or the server did; a count follows a repeated answer.
    // The longer form of each comes first: the first pattern that fits is used.
    QT_TRANSLATE_NOOP("ShownListText", "The server answered %1 %2 times"),
    QT_TRANSLATE_NOOP("ShownListText", "The server answered %1"),
    QT_TRANSLATE_NOOP("ShownListText", "The connection to %1 was refused"),
    QT_TRANSLATE_NOOP("ShownListText", "The connection to %1 broke off %2 times"),
    QT_TRANSLATE_NOOP("ShownListText", "The connection to %1 broke off"),
    QT_TRANSLATE_NOOP("ShownListText", "The host %1 was not found"),
    QT_TRANSLATE_NOOP("ShownListText", "%1 sent nothing for %2 s"),
    QT_TRANSLATE_NOOP("ShownListText", "The secure connection to %1 could not be made"),
    QT_TRANSLATE_NOOP("ShownListText", "The address %1 cannot be fetched"),
    QT_TRANSLATE_NOOP("ShownListText", "%1 never finished its answer's headers"),
};

struct Pattern
{
    QRegularExpression match;
    const char *pSource;
};

struct Table
{
    QHash<QString, const char *> exact;
    std::vector<Pattern> patterns;
};

const Table &Texts()
{
    static const Table table = [] {
        static const QRegularExpression placeholder(QStringLiteral("\\\\%[1-9]"));
        Table built;
        for (const char *pSource : kTexts) {
            const QString sSource = QString::fromUtf8(pSource);
            if (!sSource.contains(QRegularExpression(QStringLiteral("%[1-9]")))) {
                built.exact.insert(sSource, pSource);
                continue;
            }
            QString sPattern = QRegularExpression::escape(sSource);
            sPattern.replace(placeholder, QStringLiteral("(.*)"));
            built.patterns.push_back(
                {QRegularExpression(QLatin1Char('^') + sPattern + QLatin1Char('$'),
                                    QRegularExpression::DotMatchesEverythingOption),
                 pSource});
        }
        return built;
    }();
    return table;
}

} // namespace

QString ShownListText::Of(const QString &sStored)
{
    if (sStored.isEmpty())
        return sStored;
    const Table &table = Texts();
    const auto exact = table.exact.constFind(sStored);
    if (exact != table.exact.constEnd())
        return QCoreApplication::translate(kContext, exact.value());
    // Numbers (a progress, a size) are by far the most cells; a text that
    // begins with a number and goes on ("1.5 MB so far..", "10.0.0.1 sent
    // nothing ...") is looked up.
    if (sStored.front().isDigit() && sStored.count(QLatin1Char(' ')) < 2)
        return sStored;
    for (const Pattern &pattern : table.patterns) {
        const QRegularExpressionMatch found = pattern.match.match(sStored);
        if (!found.hasMatch())
            continue;
        // Both parts at once, so that a part holding "%2" stays as it is.
        const QString sShown = QCoreApplication::translate(kContext, pattern.pSource);
        return found.lastCapturedIndex() == 1 ? sShown.arg(found.captured(1))
                                              : sShown.arg(found.captured(1), found.captured(2));
    }
    return sStored;
}
