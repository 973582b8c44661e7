#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// A SegmentTemplate's media or initialization pattern filled in for one
// segment: $RepresentationID$, $Number$, $Time$, $Bandwidth$ (the last three
// with an optional printf width, "%05d"), and "$$" for a dollar sign.
class DashTemplate
{
public:
    struct Values
    {
        QString sRepresentationId;
        quint64 uNumber = 0;
        quint64 uTime = 0;
        qint64 lBandwidth = 0;
        // Number and Time as tokens that Renumber fills in later.
        bool bTokens = false;
    };

    // Nothing for an unknown identifier, a broken width or an unclosed "$".
    static std::optional<QString> Fill(const QString &sPattern, const Values &values);

    // Number and Time put only digits into an address, so a long run of
    // segments resolves its address once, with tokens (letters, which
    // resolving leaves alone), and then puts each segment's numbers in.
    // iTokens: how many tokens sFilled must hold, for telling a token that
    // resolving lost apart. Nothing when the count differs.
    static std::optional<QString> Renumber(const QString &sFilled, qsizetype iTokens, quint64 uNumber,
                                           quint64 uTime);
    static qsizetype TokenCount(const QString &sPattern);
};
