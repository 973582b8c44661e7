#pragma once

#include <QStringView>

#include <optional>

// An ISO 8601 duration as MPDs write them ("PT1H2M3.5S", "P0Y0M1DT0H0M0S"),
// in seconds. Years and months count as 365 and 30 days: manifests write
// them as zeros, and nothing here needs calendar precision.
class IsoDuration
{
public:
    static std::optional<double> Seconds(QStringView text);
};
