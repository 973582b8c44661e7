#pragma once

#include <QString>

class ISkin;

namespace modSettings {

void SetSkinVariable(ISkin &skin, const QString &sName, const QString &sValue);

} // namespace modSettings
