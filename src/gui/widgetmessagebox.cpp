#include "gui/widgetmessagebox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon ToQtIcon(IMessageBox::Icon icon)
{
    switch (icon) {
    case IMessageBox::Icon::Critical:
        return QMessageBox::Critical;
    case IMessageBox::Icon::Question:
        return QMessageBox::Question;
    case IMessageBox::Icon::Exclamation:
        return QMessageBox::Warning;
    case IMessageBox::Icon::Information:
        return QMessageBox::Information;
    case IMessageBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

WidgetMessageBox::WidgetMessageBox(QWidget *pOwner)
    : m_pOwner(pOwner)
{
}

IMessageBox::Answer WidgetMessageBox::MsgBox(Icon icon, const QString &sTitle,
                                             const QString &sText, Buttons buttons)
{
    const QString sShownTitle = sTitle.isEmpty() ? QCoreApplication::applicationName() : sTitle;
    const auto qtButtons = buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No)
                                                     : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(ToQtIcon(icon), sShownTitle, sText, qtButtons, m_pOwner);
    const int iChoice = box.exec();
    if (buttons == Buttons::OK)
        return Answer::OK;
    return iChoice == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
