#include "gui/skinhost.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QQmlContext>
#include <QQmlPropertyMap>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace {

const QString kRootPrefix = QStringLiteral("_root.");

// The variables the program sets (and the address field the scene writes).
// They exist from the start, empty, so the scene's bindings read text and
// never undefined before the program has set them.
const char *const kKnownVariables[] = {
    "startDownload", "downloadBtn",   "downloadTab",           "downloadBtnTab", "video_url",
    "download_dir",  "abouttxt",      "autoToDownloadList_CB", "Download_CB",    "Convert_CB",
};

} // namespace

SkinHost::SkinHost(QWidget *parent)
    : QQuickWidget(parent)
    , m_vars(new QQmlPropertyMap(this))
{
    setObjectName(QStringLiteral("SkinHost"));
    setFixedSize(kWidth, kHeight);
    setResizeMode(QQuickWidget::SizeRootObjectToView);
    // The scene paints every pixel itself; an opaque clear colour spares the
    // software renderer a blend with the window behind it.
    setClearColor(QColor(0x14, 0x20, 0x2b));

    for (const char *key : kKnownVariables)
        m_vars->insert(QLatin1String(key), QString());
    rootContext()->setContextProperty(QStringLiteral("vars"), m_vars);

    setSource(QUrl(QStringLiteral("qrc:/skin/Main.qml")));
    if (QQuickItem *root = rootObject()) {
        // Relaying the scene's signal keeps the scene free of C++ objects
        // other than the variables. A QML signal has no C++ member to name,
        // hence the string form of connect.
        connect(root, SIGNAL(fsCommand(QString, QString)), this,
                SIGNAL(FSCommand(QString, QString)));
        m_listArea = root->findChild<QQuickItem *>(QStringLiteral("listArea"));
        if (m_listArea) {
            connect(m_listArea, &QQuickItem::activeFocusChanged, this,
                    &SkinHost::ListAreaFocusChanged);
        }
    } else {
        for (const QQmlError &error : errors())
            qWarning("Skin: %s", qPrintable(error.toString()));
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
    m_vars->insert(SceneKey(sName), sValue);
}

QString SkinHost::GetVariable(const QString &sName) const
{
    return m_vars->value(SceneKey(sName)).toString();
}

void SkinHost::SetListWidget(QWidget *widget)
{
    m_listWidget = widget;
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

bool SkinHost::event(QEvent *e)
{
    // The skin has no context menu, from the right button or the menu key,
    // and the event must not travel on to the window behind it either.
    if (e->type() == QEvent::ContextMenu) {
        e->accept();
        return true;
    }
    return QQuickWidget::event(e);
}
