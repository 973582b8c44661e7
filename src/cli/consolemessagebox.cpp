#include "cli/consolemessagebox.h"

#include <QCoreApplication>

#include <cstdio>

IMessageBox::Answer ConsoleMessageBox::MsgBox(Icon, const QString &sTitle, const QString &sText,
                                              Buttons buttons)
{
    const QString sShownTitle = sTitle.isEmpty() ? QCoreApplication::applicationName() : sTitle;
    QString sFlat = sText;
    sFlat.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
    std::fprintf(stderr, "%s: %s%s\n", qPrintable(sShownTitle), qPrintable(sFlat),
                 buttons == Buttons::YesNo ? " [answered No]" : "");
    std::fflush(stderr);
    return buttons == Buttons::YesNo ? Answer::No : Answer::OK;
}
