#include "scriptedmessagebox.h"

IMessageBox::Answer ScriptedMessageBox::MsgBox(Icon icon, const QString &sTitle,
                                               const QString &sText, Buttons buttons)
{
    shown.append({icon, sTitle, sText, buttons});
    return buttons == Buttons::YesNo ? answerToQuestions : Answer::OK;
}
