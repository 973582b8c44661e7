#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The scene's one way to tell the program something: a command text with
// its argument text, relayed as one typed signal.
class SceneCommandChannel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The program hands the scene its command channel.")

public:
    using QObject::QObject;

    Q_INVOKABLE void send(const QString &command, const QString &args)
    {
        Q_EMIT FSCommand(command, args);
    }

Q_SIGNALS:
    void FSCommand(const QString &command, const QString &args);
};
