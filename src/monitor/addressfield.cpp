#include "monitor/addressfield.h"

#include "core/iskin.h"
#include "list/urladder.h"

namespace {

const QString kField = QStringLiteral("_root.video_url");

} // namespace

void AddressField::ShowHandedAddress(ISkin &skin, const UrlAdder &adder, const QString &sAddress)
{
    const QString sTyped = skin.GetVariable(kField);
    if (!sTyped.trimmed().isEmpty() && !adder.IsListed(sTyped.trimmed()))
        return;
    modSettings::SetSkinVariable(skin, kField, sAddress);
}
