#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include "core/iskin.h"

// The skin's variables, held by their exact names, and the skin's command
// signal. The visible skin draws itself from these; front ends without a
// window read them directly.
class SkinVariables : public QObject, public ISkin
{
    Q_OBJECT

public:
    explicit SkinVariables(QObject *parent = nullptr);

    void SetVariable(const QString &sName, const QString &sValue) override;
    QString GetVariable(const QString &sName) const override;

    // The skin sends a command with its argument text.
    void SendCommand(const QString &sCommand, const QString &sArgs);

Q_SIGNALS:
    void VariableSet(const QString &sName, const QString &sValue);
    void FSCommand(const QString &sCommand, const QString &sArgs);

private:
    QHash<QString, QString> m_variables;
};
