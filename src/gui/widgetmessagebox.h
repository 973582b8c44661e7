#pragma once

#include "core/imessagebox.h"

class QWidget;

// Real message boxes, owned by the window they belong to.
class WidgetMessageBox : public IMessageBox
{
public:
    explicit WidgetMessageBox(QWidget *pOwner);

    Answer MsgBox(Icon icon, const QString &sTitle, const QString &sText,
                  Buttons buttons) override;

private:
    QWidget *m_pOwner;
};
