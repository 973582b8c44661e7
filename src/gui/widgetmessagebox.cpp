#include "gui/widgetmessagebox.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QIcon>
#include <QMessageBox>
#include <QStyle>

namespace {

// How each of the program's icons shows: Qt's kind of box (for its sound
// and accessibility) and the bundled picture's name.
struct IconLook
{
    QMessageBox::Icon qtIcon;
    QLatin1String sBundledName;
};

IconLook LookOf(IMessageBox::Icon icon)
{
    switch (icon) {
    case IMessageBox::Icon::Critical:
        return {QMessageBox::Critical, QLatin1String("critical")};
    case IMessageBox::Icon::Question:
        return {QMessageBox::Question, QLatin1String("question")};
    case IMessageBox::Icon::Exclamation:
        return {QMessageBox::Warning, QLatin1String("warning")};
    case IMessageBox::Icon::Information:
        return {QMessageBox::Information, QLatin1String("information")};
    case IMessageBox::Icon::None:
        break;
    }
    return {QMessageBox::NoIcon, QLatin1String()};
}

} // namespace

WidgetMessageBox::WidgetMessageBox(QWidget *pOwner)
    : m_pOwner(pOwner)
{
}

QIcon WidgetMessageBox::BundledIcon(Icon icon)
{
    const QLatin1String sName = LookOf(icon).sBundledName;
    QIcon bundled;
    if (sName.isEmpty())
        return bundled;
    for (const int iSize : {32, 64})
        bundled.addFile(QStringLiteral(":/messagebox/%1-%2.png").arg(sName).arg(iSize));
    return bundled;
}

IMessageBox::Answer WidgetMessageBox::MsgBox(Icon icon, const QString &sTitle,
                                             const QString &sText, Buttons buttons)
{
    const QString sShownTitle = sTitle.isEmpty() ? QCoreApplication::applicationName() : sTitle;
    const auto qtButtons = buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No)
                                                     : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(LookOf(icon).qtIcon, sShownTitle, sText, qtButtons, m_pOwner);
    // Without an icon theme the style would draw Qt's old built-in icons.
    const QIcon bundled = BundledIcon(icon);
    if (!bundled.isNull()) {
        const int iSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        box.setIconPixmap(bundled.pixmap(QSize(iSize, iSize), box.devicePixelRatioF()));
    }
    // The buttons' icons would come from the same old set; without a theme
    // to draw them the buttons show their words alone.
    if (!QIcon::hasThemeIcon(QStringLiteral("dialog-ok"))) {
        for (QAbstractButton *pButton : box.buttons())
            pButton->setIcon(QIcon());
    }
    const int iChoice = box.exec();
    if (buttons == Buttons::OK)
        return Answer::OK;
    return iChoice == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
