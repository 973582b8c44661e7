#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "gui/progressbardelegate.h"
#include "list/downloaditem.h"
#include "list/downloadviewmodel.h"

namespace {

const QColor kBar(0, 0, 200);
const QColor kBack(255, 255, 200);
const QColor kSelectedBack(58, 56, 56);
const QColor kSelectedText(255, 255, 255);
const QColor kText(0, 0, 0);
const QColor kUnpainted(255, 0, 255);

QPalette BarPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Highlight, kBar);
    palette.setColor(QPalette::HighlightedText, kBack);
    return palette;
}

} // namespace

// Cells painted into an image and read back pixel by pixel. The text is drawn
// without antialiasing, so every pixel is exactly one of the cell's colours.
class tst_ProgressBarDelegate : public QObject
{
    Q_OBJECT

private:
    QImage Paint(const QString &sStatus, int iColumn, int iWidth, bool bSelected)
    {
        DownloadViewModel view;
        DownloadItem item;
        item.ID = 57;
        item.Video_URL = QStringLiteral("http://videos/57");
        item.FileName = QStringLiteral("57");
        item.Status = sStatus;
        item.FileSize = QStringLiteral("57");
        view.AddNew(item);

        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, iWidth, 24);
        option.font.setPixelSize(15);
        option.font.setStyleStrategy(QFont::NoAntialias);
        option.palette.setColor(QPalette::Highlight, kSelectedBack);
        option.palette.setColor(QPalette::HighlightedText, kSelectedText);
        option.palette.setColor(QPalette::Text, kText);
        option.state = QStyle::State_Enabled | QStyle::State_Active;
        if (bSelected)
            option.state |= QStyle::State_Selected;

        QImage image(option.rect.size(), QImage::Format_RGB32);
        image.fill(kUnpainted);
        QPainter painter(&image);
        ProgressBarDelegate delegate(BarPalette());
        delegate.paint(&painter, option, view.index(0, iColumn));
        return image;
    }

    static int Count(const QImage &image, const QColor &colour)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    }

private Q_SLOTS:
    void percentAndText_data();
    void percentAndText();
    void barCoversItsShareAndTextFlips_data();
    void barCoversItsShareAndTextFlips();
    void selectedCellShowsNoPartialBar();
    void otherTextsArePlain_data();
    void otherTextsArePlain();
    void numbersInOtherColumnsArePlain_data();
    void numbersInOtherColumnsArePlain();
};

void tst_ProgressBarDelegate::percentAndText_data()
{
    QTest::addColumn<double>("dValue");
    QTest::addColumn<QString>("sText");

    QTest::newRow("57") << 57.0 << "57%";
    QTest::newRow("0") << 0.0 << "0%";
    QTest::newRow("100") << 100.0 << "100%";
    QTest::newRow("above 100") << 250.0 << "100%";
    QTest::newRow("below 0") << -5.0 << "0%";
    QTest::newRow("half to even, down") << 12.5 << "12%";
    QTest::newRow("half to even, up") << 13.5 << "14%";
    QTest::newRow("half below 1") << 0.5 << "0%";
    QTest::newRow("half below 100") << 99.5 << "100%";
    QTest::newRow("not a half") << 12.51 << "13%";
    QTest::newRow("far too large") << 1e30 << "100%";
}

void tst_ProgressBarDelegate::percentAndText()
{
    QFETCH(double, dValue);
    QFETCH(QString, sText);
    QCOMPARE(ProgressBarDelegate::BarText(ProgressBarDelegate::BarPercent(dValue)), sText);
}

void tst_ProgressBarDelegate::barCoversItsShareAndTextFlips_data()
{
    QTest::addColumn<QString>("sStatus");
    QTest::addColumn<int>("iWidth");
    QTest::addColumn<int>("iBarEnd");

    QTest::newRow("57") << "57" << 120 << 68;
    QTest::newRow("0") << "0" << 120 << 0;
    QTest::newRow("100") << "100" << 120 << 120;
    QTest::newRow("250") << "250" << 120 << 120;
    QTest::newRow("-5") << "-5" << 120 << 0;
    // Drawn as 12: 14.4 pixels, where 13 would give 15.6.
    QTest::newRow("12.5") << "12.5" << 120 << 14;
    // The bar's own width rounds halves to even too: 2.5 and 28.5 pixels.
    QTest::newRow("5 of 50 pixels") << "5" << 50 << 2;
    QTest::newRow("57 of 50 pixels") << "57" << 50 << 28;
}

void tst_ProgressBarDelegate::barCoversItsShareAndTextFlips()
{
    QFETCH(QString, sStatus);
    QFETCH(int, iWidth);
    QFETCH(int, iBarEnd);

    const QImage bar = Paint(sStatus, DownloadViewModel::colStatus, iWidth, false);
    // The same text drawn selected shows where its pixels are.
    const QImage text = Paint(sStatus, DownloadViewModel::colStatus, iWidth, true);
    QVERIFY(Count(text, kSelectedText) > 0);

    int iTextOverBar = 0;
    int iTextOverBack = 0;
    for (int y = 0; y < bar.height(); ++y) {
        for (int x = 0; x < bar.width(); ++x) {
            const bool bUnderBar = x < iBarEnd;
            const bool bText = text.pixelColor(x, y) == kSelectedText;
            const QColor expected = bUnderBar != bText ? kBar : kBack;
            if (bar.pixelColor(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(bar.pixelColor(x, y).name(), expected.name())));
            if (bText)
                ++(bUnderBar ? iTextOverBar : iTextOverBack);
        }
    }
    if (iBarEnd == 68)
        QVERIFY(iTextOverBar > 0 && iTextOverBack > 0);
}

void tst_ProgressBarDelegate::selectedCellShowsNoPartialBar()
{
    const QImage image = Paint(QStringLiteral("57"), DownloadViewModel::colStatus, 120, true);
    const int iText = Count(image, kSelectedText);
    QVERIFY(iText > 0);
    QCOMPARE(Count(image, kSelectedBack) + iText, image.width() * image.height());
    for (int x = 0; x < image.width(); ++x)
        QCOMPARE(image.pixelColor(x, 0), kSelectedBack);
}

void tst_ProgressBarDelegate::otherTextsArePlain_data()
{
    QTest::addColumn<QString>("sStatus");

    QTest::newRow("page progress") << "Preparing (45%)";
    QTest::newRow("page of unknown size") << "Preparing...";
    QTest::newRow("complete") << "Complete";
    QTest::newRow("error") << "ERROR";
    QTest::newRow("waiting") << "Waiting";
    QTest::newRow("bytes so far") << "1.5 MB so far..";
    QTest::newRow("percent sign") << "57%";
    QTest::newRow("not a number") << "nan";
    QTest::newRow("infinite") << "inf";
}

void tst_ProgressBarDelegate::otherTextsArePlain()
{
    QFETCH(QString, sStatus);
    const QImage image = Paint(sStatus, DownloadViewModel::colStatus, 120, false);
    QCOMPARE(Count(image, kBar), 0);
    QCOMPARE(Count(image, kBack), 0);
    QVERIFY(Count(image, kText) > 0);
    QCOMPARE(image.pixelColor(image.width() - 1, 0), kUnpainted);
}

void tst_ProgressBarDelegate::numbersInOtherColumnsArePlain_data()
{
    QTest::addColumn<int>("iColumn");
    QTest::newRow("ID") << int(DownloadViewModel::colID);
    QTest::newRow("FileName") << int(DownloadViewModel::colFileName);
    QTest::newRow("FileSize") << int(DownloadViewModel::colFileSize);
}

void tst_ProgressBarDelegate::numbersInOtherColumnsArePlain()
{
    QFETCH(int, iColumn);
    const QImage image = Paint(QStringLiteral("Waiting"), iColumn, 120, false);
    QCOMPARE(Count(image, kBar), 0);
    QCOMPARE(Count(image, kBack), 0);
    QVERIFY(Count(image, kText) > 0);
}

QTEST_MAIN(tst_ProgressBarDelegate)
#include "tst_progressbardelegate.moc"
