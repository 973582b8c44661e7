#pragma once

#include <QString>

// The program's message boxes, asked through this interface so that the core
// needs no widgets: the window shows real message boxes, the command-line
// front end prints them, tests answer them.
class IMessageBox
{
public:
    enum class Icon { None, Critical, Question, Exclamation, Information };
    enum class Buttons { OK, YesNo };
    enum class Answer { OK, Yes, No };

    virtual ~IMessageBox() = default;

    // An empty title stands for the program's default title.
    virtual Answer MsgBox(Icon icon, const QString &sTitle, const QString &sText,
                          Buttons buttons = Buttons::OK) = 0;
};
