#pragma once

#include <QList>
#include <QString>

#include "core/imessagebox.h"

// Records every message box and answers questions with a preset answer.
class ScriptedMessageBox : public IMessageBox
{
public:
    struct Shown
    {
        Icon icon;
        QString sTitle;
        QString sText;
        Buttons buttons;
    };

    Answer MsgBox(Icon icon, const QString &sTitle, const QString &sText,
                  Buttons buttons) override;

    Answer answerToQuestions = Answer::No;
    QList<Shown> shown;
};
