#pragma once

#include "core/imessagebox.h"

class QIcon;
class QWidget;

// Real message boxes, owned by the window they belong to.
class WidgetMessageBox : public IMessageBox
{
public:
    explicit WidgetMessageBox(QWidget *pOwner);

    Answer MsgBox(Icon icon, const QString &sTitle, const QString &sText,
                  Buttons buttons) override;

    // The program's own icon for a kind of message; null for none.
    static QIcon BundledIcon(Icon icon);

private:
    QWidget *m_pOwner;
};
