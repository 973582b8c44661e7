#include "settings/modsettings.h"

#include "app/iskin.h"

namespace modSettings {

void SetSkinVariable(ISkin &skin, const QString &sName, const QString &sValue)
{
    skin.SetVariable(sName, sValue);
}

} // namespace modSettings
