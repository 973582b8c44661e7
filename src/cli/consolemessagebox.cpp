#include "cli/consolemessagebox.h"

#include <QCoreApplication>

#include <cstdio>

IMessageBox::Answer ConsoleMessageBox::MsgBox(Icon, const QString &sTitle, const QString &sText,
                                              Buttons buttons)
{
    const QString sShownTitle = sTitle.isEmpty() ? QCoreApplication::applicationName() : sTitle;
    QString sFlat = sText;
    sFlat.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
    QString sAnswered;
    if (buttons == Buttons::YesNo)
        sAnswered = QLatin1Char(' ')
            + QCoreApplication::translate("ConsoleMessageBox", "[answered No]");
    std::fprintf(stderr, "%s: %s%s\n", sShownTitle.toLocal8Bit().constData(),
                 sFlat.toLocal8Bit().constData(), sAnswered.toLocal8Bit().constData());
    std::fflush(stderr);
    return buttons == Buttons::YesNo ? Answer::No : Answer::OK;
}
