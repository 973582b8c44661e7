#include "core/skinvariables.h"

SkinVariables::SkinVariables(QObject *parent)
    : QObject(parent)
{
}

void SkinVariables::SetVariable(const QString &sName, const QString &sValue)
{
    m_variables.insert(sName, sValue);
    Q_EMIT VariableSet(sName, sValue);
}

QString SkinVariables::GetVariable(const QString &sName) const
{
    return m_variables.value(sName);
}

void SkinVariables::SendCommand(const QString &sCommand, const QString &sArgs)
{
    Q_EMIT FSCommand(sCommand, sArgs);
}
