#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

// Where the skin's commands arrive (and the tray menu's start/stop entry,
// which sends the same commands): each command text runs the action the
// window registered for it. Commands are matched exactly, letter case
// included; a command nobody registered is ignored.
class SkinCommands
{
public:
    using Action = std::function<void()>;

    // Every command the skin sends.
    static const QStringList &AllCommands();

    void Register(const QString &sCommand, Action action);
    bool IsRegistered(const QString &sCommand) const { return m_actions.contains(sCommand); }

    // The argument text is never used by any command. True when an action ran.
    bool Flash_FSCommand(const QString &sCommand, const QString &sArgs);

private:
    QHash<QString, Action> m_actions;
};
