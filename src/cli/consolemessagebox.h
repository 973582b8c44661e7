#pragma once

#include "core/imessagebox.h"

// Message boxes for a program without a window: each becomes a line on
// standard error, and every question is answered "No".
class ConsoleMessageBox : public IMessageBox
{
public:
    Answer MsgBox(Icon icon, const QString &sTitle, const QString &sText,
                  Buttons buttons) override;
};
