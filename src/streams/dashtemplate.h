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
    };

    // Nothing for an unknown identifier, a broken width or an unclosed "$".
    static std::optional<QString> Fill(const QString &sPattern, const Values &values);
};
