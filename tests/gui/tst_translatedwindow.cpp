#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QXmlStreamReader>

#include <memory>

#include "core/uilanguage.h"
#include "gui/downloadgrid.h"
#include "gui/frmmain.h"
#include "gui/frmmenu.h"
#include "gui/skinhost.h"
#include "list/downloadliststore.h"
#include "list/urladder.h"
#include "monitor/clipboardmonitor.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "settings/programsettings.h"
#include "urlrecorder.h"

// The window started for a German (and a Spanish) desktop: no English text
// the program has a translation for is left on the skin's pages, in the tray
// menu, in the grid or in a message box, and no text is cut. The list keeps
// its English. Its help opens in its language.
// CLIPVANE_SHOT_DIR, when set, receives a picture of each page and box.
class tst_TranslatedWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    // By language: the English sources whose translation differs, as
    // patterns (%1 stands for anything).
    QHash<QString, QList<QRegularExpression>> m_english;

    void ReadEnglish(const QString &sLanguage);

private Q_SLOTS:
    void initTestCase();
    void init();
    void nothingEnglishIsLeft_data();
    void nothingEnglishIsLeft();
};

namespace {

struct Seen
{
    QStringList texts;
    QStringList cut;
};

void Collect(QQuickItem *pItem, const QString &sSpared, Seen &seen)
{
    if (!pItem || !pItem->isVisible())
        return;
    for (const char *pName : {"text", "accessibleName", "toolTip"}) {
        const QString s = pItem->property(pName).toString().trimmed();
        if (!s.isEmpty())
            seen.texts << s;
    }
    // An elided text is cut (a folder's path may be), and so is one that
    // runs past the window's edge.
    const QString sText = pItem->property("text").toString();
    if (pItem->property("truncated").toBool()
        && (sSpared.isEmpty() || !sText.contains(sSpared)))
        seen.cut << sText;
    const qreal dWidth = qMax(pItem->width(), pItem->property("contentWidth").toReal());
    if (!sText.isEmpty() && pItem->window()
        && pItem->mapToScene(QPointF(dWidth, 0)).x() > pItem->window()->width() + 0.5)
        seen.cut << sText;
    for (QQuickItem *pChild : pItem->childItems())
        Collect(pChild, sSpared, seen);
}

void Save(const QImage &picture, const QString &sName)
{
    const QString sDir = qEnvironmentVariable("CLIPVANE_SHOT_DIR");
    if (!sDir.isEmpty())
        picture.save(QDir(sDir).filePath(sName + QStringLiteral(".png")));
}

} // namespace

void tst_TranslatedWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", m_home.path().toLocal8Bit());
    ReadEnglish(QStringLiteral("de"));
    ReadEnglish(QStringLiteral("es"));
}

// The program's start for the row's desktop language, the last one's
// translations gone.
void tst_TranslatedWindow::init()
{
    for (QTranslator *pTranslator : qApp->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(pTranslator);
        delete pTranslator;
    }
    qputenv("LANGUAGE", QTest::currentDataTag() + qstrlen(QTest::currentDataTag()) - 2);
    UiLanguage::Install(*qApp);
}

void tst_TranslatedWindow::ReadEnglish(const QString &sLanguage)
{
    QFile ts(qEnvironmentVariable("CLIPVANE_SOURCE_DIR")
             + QStringLiteral("/translations/clipvane_%1.ts").arg(sLanguage));
    QVERIFY2(ts.open(QIODevice::ReadOnly), qPrintable(ts.fileName()));
    static const QRegularExpression placeholder(QStringLiteral("\\\\%[1-9]"));
    QXmlStreamReader reader(&ts);
    QString sSource;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("source")) {
            sSource = reader.readElementText(QXmlStreamReader::IncludeChildElements);
            continue;
        }
        if (reader.name() != QLatin1String("translation"))
            continue;
        if (reader.readElementText(QXmlStreamReader::IncludeChildElements) == sSource)
            continue; // "OK", "ERROR", "Download": the same in both
        QString sPattern = QRegularExpression::escape(sSource);
        sPattern.replace(placeholder, QStringLiteral(".*"));
        m_english[sLanguage] << QRegularExpression(QLatin1Char('^') + sPattern + QLatin1Char('$'),
                                        QRegularExpression::DotMatchesEverythingOption);
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QVERIFY(m_english[sLanguage].size() > 100);
}

void tst_TranslatedWindow::nothingEnglishIsLeft_data()
{
    // The row's name ends in the language; sSeen shows the place is really there.
    QTest::addColumn<QString>("sPlace");
    QTest::addColumn<QString>("sSeen");
    QTest::newRow("Download page de") << "download" << "Zur Downloadliste hinzufügen";
    QTest::newRow("Settings page de") << "settings" << "Download-Ordner";
    QTest::newRow("About page de") << "about" << "Website";
    QTest::newRow("tray menu de") << "tray" << "Clipvane beenden";
    QTest::newRow("grid de") << "grid" << "Link wird nicht unterstützt";
    QTest::newRow("message box de") << "box" << "Bitte fügen Sie zuerst Video-URLs hinzu.";
    // Help opens the document in the window's language, by section.
    QTest::newRow("help de") << "IDC_FS_help" << "help.de.html#";
    QTest::newRow("Download page es") << "download" << "Añadir a la lista de descargas";
    QTest::newRow("Settings page es") << "settings" << "Carpeta de descargas";
    QTest::newRow("About page es") << "about" << "Sitio web";
    QTest::newRow("tray menu es") << "tray" << "Salir de Clipvane";
    QTest::newRow("grid es") << "grid" << "Enlace no compatible";
    QTest::newRow("message box es") << "box" << "Añada primero las URL de los vídeos.";
    QTest::newRow("web site es") << "ID_FS_webSite" << "help.es.html#about";
}

void tst_TranslatedWindow::nothingEnglishIsLeft()
{
    QFETCH(QString, sPlace);
    QFETCH(QString, sSeen);
    const QString sLanguage = QString::fromLatin1(QTest::currentDataTag()).right(2);

    frmMain window;
    window.Monitor().SetWatcherPath(QStringLiteral("/bin/true"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QQuickItem *pRoot = window.Skin().rootObject();
    QVERIFY(pRoot);
    const QString sFolder = window.Session().Settings().sDownloadDir;

    Seen seen;
    if (sPlace == QLatin1String("tray")) {
        for (QAction *pAction : window.Menu()->TRAYMENU->actions()) {
            if (pAction->isVisible() && !pAction->isSeparator())
                seen.texts << pAction->text();
        }
    } else if (sPlace == QLatin1String("grid")) {
        window.Session().Adder().AddURL(QStringLiteral("http://www.example.invalid/v"));
        const DownloadItem &item = window.Session().ListStore().Items().constFirst();
        QCOMPARE(item.Status, QStringLiteral("Link is not supported"));
        const auto *pGrid = window.findChild<DownloadGrid *>(QStringLiteral("DownloadGrid"));
        const QAbstractItemModel *pModel = pGrid->model();
        const QHeaderView *pHeader = pGrid->horizontalHeader();
        const int iMargins = 2 * pHeader->style()->pixelMetric(QStyle::PM_HeaderMargin);
        for (int iColumn = 1; iColumn < pModel->columnCount(); ++iColumn) {
            const QString sCaption = pModel->headerData(iColumn, Qt::Horizontal).toString();
            seen.texts << sCaption;
            if (pHeader->fontMetrics().horizontalAdvance(sCaption) + iMargins
                > pHeader->sectionSize(iColumn))
                seen.cut << sCaption;
            const QModelIndex cell = pModel->index(0, iColumn);
            seen.texts << cell.data(Qt::DisplayRole).toString()
                       << cell.data(Qt::ToolTipRole).toString();
        }
        seen.texts.removeAll(QString());
        Save(window.grab().toImage(), QStringLiteral("grid-") + sLanguage);
    } else if (sPlace == QLatin1String("box")) {
        // The box runs its own loop; it is read and closed from there.
        QTimer reader;
        reader.setInterval(10);
        connect(&reader, &QTimer::timeout, this, [&seen, &reader, &sLanguage] {
            auto *pBox = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!pBox)
                return;
            reader.stop();
            // Its buttons are Qt's own, translated where Qt's translations are
            // installed.
            seen.texts << pBox->windowTitle() << pBox->text();
            Save(pBox->grab().toImage(), QStringLiteral("messagebox-") + sLanguage);
            pBox->accept();
        });
        reader.start();
        window.Session().Queue().cmdStartDownload_Click();
    } else if (sPlace.startsWith(QLatin1String("ID"))) {
        UrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "Open");
        window.Flash_FSCommand(sPlace, QString());
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        for (const QUrl &url : std::as_const(browser.opened))
            seen.texts << url.fileName() + QLatin1Char('#') + url.fragment();
    } else {
        QQmlProperty::write(pRoot, QStringLiteral("page"), sPlace);
        QTRY_VERIFY2((seen = {}, Collect(pRoot, sFolder, seen), seen.texts.contains(sSeen)),
                     qPrintable(seen.texts.join(QLatin1Char('|'))));
        Save(window.Skin().grabFramebuffer(), sPlace + QLatin1Char('-') + sLanguage);
    }

    QVERIFY2(seen.texts.contains(sSeen), qPrintable(seen.texts.join(QLatin1Char('|'))));
    QStringList english;
    for (const QString &sText : std::as_const(seen.texts)) {
        for (const QRegularExpression &source : std::as_const(m_english[sLanguage])) {
            if (source.match(sText).hasMatch())
                english << sText;
        }
    }
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QLatin1Char('|'))));
    QVERIFY2(seen.cut.isEmpty(), qPrintable(seen.cut.join(QLatin1Char('|'))));
}

QTEST_MAIN(tst_TranslatedWindow)
#include "tst_translatedwindow.moc"
