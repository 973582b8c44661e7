#include "streams/streamrefusal.h"

#include <QLocale>

#include "streams/streamlimits.h"

StreamRefusal StreamRefusal::Live()
{
    return {Kind::Live, QStringLiteral("Live streams are not supported")};
}

StreamRefusal StreamRefusal::Protected()
{
    return {Kind::Protected, QStringLiteral("The stream is protected (DRM) and cannot be saved")};
}

StreamRefusal StreamRefusal::Malformed(const QString &sWhat)
{
    return {Kind::Malformed, QStringLiteral("The stream's playlist cannot be read (%1)").arg(sWhat)};
}

StreamRefusal StreamRefusal::Empty()
{
    return {Kind::Empty, QStringLiteral("The stream's playlist holds nothing to save")};
}

StreamRefusal StreamRefusal::TooLarge()
{
    return {Kind::TooLarge,
            QStringLiteral("The stream has more than %1 fragments")
                .arg(QLocale(QLocale::English).toString(kMaxStreamFragments))};
}

StreamRefusal StreamRefusal::SelfReference()
{
    return {Kind::SelfReference, QStringLiteral("The stream's playlist refers to itself")};
}
