// The empty Qt Quick window that skin_bench measures next to the skin: a
// QQuickView of the skin's size showing one Rectangle (with --text, and one
// line of text on it), compiled ahead of time like the skin's scene and
// drawn by the same renderer. It links Qt Quick only, no widgets.
#include <QGuiApplication>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>

#include "startupprobe.h"

int main(int argc, char *argv[])
{
    // The skin's rule: the software renderer unless QT_QUICK_BACKEND says.
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QQuickView view;
    view.setColor(QColor(0x14, 0x20, 0x2b));
    const bool bText = argc >= 2 && qstrcmp(argv[1], "--text") == 0;
    view.setSource(QUrl(bText ? QStringLiteral("qrc:/qt/qml/EmptyReference/TextScene.qml")
                              : QStringLiteral("qrc:/qt/qml/EmptyReference/EmptyScene.qml")));
    if (view.status() != QQuickView::Ready)
        return 1;
    // The frame has gone out once the render loop returns to the event loop.
    QObject::connect(&view, &QQuickWindow::frameSwapped, &view,
                     [] { QTimer::singleShot(0, &startupprobe::Shown); });
    view.show();
    return app.exec();
}
