#include "gui/skinhost.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QToolTip>

#include <algorithm>

#include "gui/fontpreload.h"
#include "gui/scenecommandchannel.h"
#include "gui/scenevariables.h"

// Generated with the Clipvane.Skin module; registers its C++ types.
void qml_register_types_Clipvane_Skin();

namespace {

const QString kRootPrefix = QStringLiteral("_root.");

} // namespace

SkinHost::SkinHost(QWidget *parent)
    : QQuickWidget(parent)
    , m_vars(new SceneVariables(this))
    , m_commands(new SceneCommandChannel(this))
{
    setObjectName(QStringLiteral("SkinHost"));
    setFixedSize(kWidth, kHeight);
    setResizeMode(QQuickWidget::SizeRootObjectToView);
    // The scene paints every pixel itself; an opaque clear colour spares the
    // software renderer a blend with the window behind it.
    setClearColor(QColor(0x14, 0x20, 0x2b));

    connect(m_commands, &SceneCommandChannel::FSCommand, this, &SkinHost::FSCommand);
    connect(quickWindow(), &QQuickWindow::afterRendering, this, [this] { m_bRendered = true; });
    LoadScene();
}

void SkinHost::LoadScene()
{
    // The module lives in this static library without a plugin: the
    // reference keeps the linker from dropping its type registration.
    volatile auto registration = &qml_register_types_Clipvane_Skin;
    Q_UNUSED(registration);

    // Created here rather than by setSource(), which cannot hand the scene
    // its required properties before its bindings first run.
    const QUrl source(QStringLiteral("qrc:/qt/qml/Clipvane/Skin/Main.qml"));
    auto *component = new QQmlComponent(engine(), source, this);
    QObject *scene = nullptr;
    if (component->isReady()) {
        // Building the scene lays out its texts.
        FontPreload::Wait();
        scene = component->createWithInitialProperties(
            {{QStringLiteral("vars"), QVariant::fromValue(m_vars)},
             {QStringLiteral("commands"), QVariant::fromValue(m_commands)}});
    }
    // Reports the scene's errors, if any, as setSource() would.
    setContent(source, component, scene);

    if (QQuickItem *root = rootObject()) {
        m_listArea = root->findChild<QQuickItem *>(QStringLiteral("listArea"));
        if (m_listArea) {
            connect(m_listArea, &QQuickItem::activeFocusChanged, this,
                    &SkinHost::ListAreaFocusChanged);
        }
    }
}

SkinHost::~SkinHost() = default;

void SkinHost::SelectRenderer()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND")
        || QQuickWindow::graphicsApi() == QSGRendererInterface::Software)
        return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

QString SkinHost::SceneKey(const QString &sName)
{
    return sName.startsWith(kRootPrefix) ? sName.mid(kRootPrefix.size()) : sName;
}

void SkinHost::SetVariable(const QString &sName, const QString &sValue)
{
    m_vars->Set(SceneKey(sName), sValue);
}

QString SkinHost::GetVariable(const QString &sName) const
{
    return m_vars->Get(SceneKey(sName));
}

void SkinHost::SetListWidget(QWidget *widget)
{
    if (m_listWidget)
        m_listWidget->removeEventFilter(this);
    m_listWidget = widget;
    if (m_listWidget)
        m_listWidget->installEventFilter(this);
}

void SkinHost::FinishEditing()
{
    if (QQuickItem *focused = quickWindow()->activeFocusItem())
        focused->setFocus(false);
}

bool SkinHost::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    // The list widget may have got the focus from a click, not from the
    // list area: leaving it by Tab or Backtab still goes on from the list's
    // place in the scene's order, not from the scene's first control.
    if (pWatched == m_listWidget && pEvent->type() == QEvent::FocusOut && m_listArea) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(pEvent)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            m_listArea->setFocus(true);
    }
    return QQuickWidget::eventFilter(pWatched, pEvent);
}

void SkinHost::ListAreaFocusChanged(bool bHasFocus)
{
    if (bHasFocus && m_listWidget && m_listWidget->isVisible())
        m_listWidget->setFocus(Qt::TabFocusReason);
}

void SkinHost::focusInEvent(QFocusEvent *e)
{
    // The list area still holds the scene's focus when the keyboard comes
    // back from the list widget; restoring it there would hand the focus
    // straight back. By Tab or Backtab go on past it the way the user was
    // going; a click on the skin leaves no control marked.
    if (m_listArea && m_listArea->hasFocus()) {
        const Qt::FocusReason reason = e->reason();
        QQuickItem *next = nullptr;
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            next = m_listArea->nextItemInFocusChain(reason == Qt::TabFocusReason);
        if (next)
            next->forceActiveFocus(reason);
        else
            m_listArea->setFocus(false);
    }
    QQuickWidget::focusInEvent(e);
}

void SkinHost::paintEvent(QPaintEvent *e)
{
    QQuickWidget::paintEvent(e);
    if (m_bRendered && !m_bFirstFramePainted) {
        m_bFirstFramePainted = true;
        Q_EMIT FirstFramePainted();
    }
}

bool SkinHost::event(QEvent *e)
{
    // The skin has no context menu, from the right button or the menu key,
    // and the event must not travel on to the window behind it either.
    if (e->type() == QEvent::ContextMenu) {
        e->accept();
        return true;
    }
    if (e->type() == QEvent::ToolTip) {
        const auto *pHelp = static_cast<QHelpEvent *>(e);
        const QString sTip = ToolTipAt(pHelp->pos());
        if (sTip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(pHelp->globalPos(), sTip, this);
        return true;
    }
    return QQuickWidget::event(e);
}

QString SkinHost::ToolTipAt(const QPoint &at) const
{
    return rootObject() ? ToolTipAt(*rootObject(), QPointF(at)) : QString();
}

// The scene has no tool tips of its own (Qt Quick Controls are not used): an
// item says what to show in its "toolTip" property, and the one in front
// under the pointer that says anything wins. Pages fill the whole scene, so
// an item in front without a tip does not hide the tips behind it.
QString SkinHost::ToolTipAt(QQuickItem &item, const QPointF &at)
{
    if (!item.isVisible())
        return QString();
    QList<QQuickItem *> children = item.childItems();
    std::stable_sort(children.begin(), children.end(),
                     [](const QQuickItem *a, const QQuickItem *b) { return a->z() < b->z(); });
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        const QString sTip = ToolTipAt(**it, at);
        if (!sTip.isEmpty())
            return sTip;
    }
    return item.contains(item.mapFromScene(at)) ? item.property("toolTip").toString() : QString();
}
