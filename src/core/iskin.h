#pragma once

#include <QString>

// The program's side of the skin: the named variables the program sets and
// reads back. The window's skin, the command-line front end and the tests
// each provide one.
class ISkin
{
public:
    virtual ~ISkin() = default;
    virtual void SetVariable(const QString &sName, const QString &sValue) = 0;
    virtual QString GetVariable(const QString &sName) const = 0;
};

namespace modSettings {

// The one way the program's logic sets a skin variable.
inline void SetSkinVariable(ISkin &skin, const QString &sName, const QString &sValue)
{
    skin.SetVariable(sName, sValue);
}

} // namespace modSettings
