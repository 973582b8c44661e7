// The bare Qt Widgets window that skin_bench measures next to the skin: a
// window of the skin's size that paints one colour. It links Qt Widgets
// only.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include "startupprobe.h"

namespace {

class BareWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(0xf3, 0xf5, 0xf8));
        QTimer::singleShot(0, &startupprobe::Shown);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    BareWindow window;
    window.setFixedSize(640, 600);
    window.show();
    return app.exec();
}
