#pragma once

// Shows a Qt Quick scene the way the start-up benchmark's Qt Quick children
// all do: on the skin's colour, reporting its first frame (startupprobe).

#include <QGuiApplication>
#include <QQuickView>
#include <QTimer>

#include "startupprobe.h"

namespace startupprobe {

// Runs the application until it quits; 1 when the scene does not load.
inline int ShowScene(QQuickView &view, const QUrl &source)
{
    view.setColor(QColor(0x14, 0x20, 0x2b));
    view.setSource(source);
    if (view.status() != QQuickView::Ready)
        return 1;
    // The frame has gone out once the render loop returns to the event loop.
    QObject::connect(&view, &QQuickWindow::frameSwapped, &view,
                     [] { QTimer::singleShot(0, &Shown); });
    view.show();
    return QGuiApplication::exec();
}

} // namespace startupprobe
