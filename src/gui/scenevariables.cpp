#include "gui/scenevariables.h"

#include <QMetaProperty>

SceneVariables::SceneVariables(QObject *parent)
    : QObject(parent)
{
}

int SceneVariables::PropertyIndex(const QString &sName)
{
    // Only this class's own properties are variables: "objectName" is not.
    const int index = staticMetaObject.indexOfProperty(sName.toUtf8().constData());
    return index >= staticMetaObject.propertyOffset() ? index : -1;
}

void SceneVariables::Set(const QString &sName, const QString &sValue)
{
    const int index = PropertyIndex(sName);
    if (index < 0)
        m_others.insert(sName, sValue);
    else
        staticMetaObject.property(index).write(this, sValue);
}

QString SceneVariables::Get(const QString &sName) const
{
    const int index = PropertyIndex(sName);
    return index < 0 ? m_others.value(sName) : staticMetaObject.property(index).read(this).toString();
}
