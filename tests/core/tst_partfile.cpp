#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/partfile.h"
#include "fulldisk.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <chrono>
#include <thread>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QByteArray Content(const QString &sPath)
{
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString &sPath, const QByteArray &data)
{
    QFile file(sPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

// Whether files in the folder take user extended attributes (tmpfs did not
// before Linux 6.6); why not, or empty.
QString WhyNoUserAttributes(const QString &sFolder)
{
    const QByteArray probe = QFile::encodeName(sFolder + QStringLiteral("/xattr-probe"));
    QFile(QFile::decodeName(probe)).open(QIODevice::WriteOnly);
    const int iResult = ::setxattr(probe.constData(), "user.clipvane.probe", "1", 1, 0);
    const int iErrno = errno;
    ::unlink(probe.constData());
    return iResult == 0 ? QString()
                        : QStringLiteral("no user extended attributes in %1: %2")
                              .arg(sFolder, QString::fromLocal8Bit(std::strerror(iErrno)));
}

ino_t InodeUnder(const QString &sPath)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(sPath).constData(), &st) == 0 ? st.st_ino : 0;
}

// Stands in for fsync: notes what each call was asked to write out and what
// lay under the final name at that moment; the call numbered iFailing fails.
struct SyncSpy
{
    struct Call
    {
        bool bDirectory;
        ino_t inode;
        qint64 lSize;
        ino_t finalInode;
    };

    QString sFinalPath;
    int iFailing = -1;
    QList<Call> calls; // written by Commit's worker, read once Commit is back

    PartFile::SyncFunction Function()
    {
        return [this](int fd) {
            struct stat st {};
            ::fstat(fd, &st);
            calls.append({S_ISDIR(st.st_mode), st.st_ino, qint64(st.st_size), InodeUnder(sFinalPath)});
            if (calls.size() - 1 == iFailing) {
                errno = EIO;
                return -1;
            }
            return ::fsync(fd);
        };
    }
};

} // namespace

class tst_PartFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commit_data();
    void commit();
    void commitProcessesEventsWhileWritingOut();
    void keptPartRemembersItsOrigin_data();
    void keptPartRemembersItsOrigin();
    void recordThatCannotBeKeptOnlyTurnsResumeOff_data();
    void recordThatCannotBeKeptOnlyTurnsResumeOff();
};

// What lies under the final name when the part is committed, which sync call
// fails, the error expected (none: the new file takes a name) and the name
// it takes. Nothing under a name is ever replaced: a taken name gives the
// file the next free number.
void tst_PartFile::commit_data()
{
    QTest::addColumn<QString>("sUnderName");
    QTest::addColumn<int>("iFailingSync");
    QTest::addColumn<QString>("sError");
    QTest::addColumn<QString>("sSavedAs");
    QTest::newRow("nothing: renamed") << "nothing" << -1 << "" << "clip.flv";
    QTest::newRow("old file: kept, numbered") << "file" << -1 << "" << "clip (2).flv";
    QTest::newRow("link: kept, numbered") << "link" << -1 << "" << "clip (2).flv";
    QTest::newRow("folder: kept, numbered") << "folder" << -1 << "" << "clip (2).flv";
    QTest::newRow("old file and its number: the next number")
        << "file and number" << -1 << "" << "clip (3).flv";
    QTest::newRow("part not written out: old file kept") << "file" << 0 << "Cannot write" << "";
    QTest::newRow("folder not written out: still committed") << "nothing" << 1 << "" << "clip.flv";
}

void tst_PartFile::commit()
{
    QFETCH(QString, sUnderName);
    QFETCH(int, iFailingSync);
    QFETCH(QString, sError);
    QFETCH(QString, sSavedAs);
    QTemporaryDir inside, outside;
    const QString sName = inside.filePath("clip.flv");
    const QString sSaved = inside.filePath(sSavedAs);
    const QString sTarget = outside.filePath("target");
    const QByteArray old(9000, 'o'), data = QByteArray("0123456789abcdef").repeated(4000);
    SyncSpy spy{sSaved, iFailingSync, {}};
    PartFile file(spy.Function());
    QVERIFY(file.Open(sName));
    QVERIFY(file.Write(data.constData(), 1000));
    QVERIFY(file.Write(data.constData() + 1000, data.size() - 1000));
    // Made while the part is written, which is when another program could.
    if (sUnderName.startsWith("file"))
        Write(sName, old);
    if (sUnderName == "file and number")
        Write(inside.filePath("clip (2).flv"), old);
    if (sUnderName == "link") {
        Write(sTarget, old);
        QVERIFY(QFile::link(sTarget, sName));
    }
    if (sUnderName == "folder")
        QVERIFY(QDir().mkpath(sName));
    const ino_t partInode = InodeUnder(file.PartPath());

    QCOMPARE(file.Commit(), sError.isEmpty());

    QVERIFY(!QFileInfo::exists(PartFile::PartPathFor(sName)));
    QCOMPARE(file.ErrorString().left(sError.size()), sError);
    // What lay under the name is as it was.
    if (sUnderName == "link") {
        QVERIFY(QFileInfo(sName).isSymLink());
        QCOMPARE(Content(sTarget), old);
    }
    if (sUnderName.startsWith("file"))
        QCOMPARE(Content(sName), old);
    if (sUnderName == "folder")
        QVERIFY(QDir(sName).isEmpty());
    // The part's whole data went out before it took the name.
    QVERIFY(!spy.calls.isEmpty());
    QCOMPARE(spy.calls[0].bDirectory, false);
    QCOMPARE(spy.calls[0].inode, partInode);
    QCOMPARE(spy.calls[0].lSize, data.size());
    QVERIFY(spy.calls[0].finalInode != partInode);
    if (!sError.isEmpty()) {
        QCOMPARE(spy.calls.size(), 1);
        return;
    }
    QCOMPARE(file.FinalPath(), sSaved);
    QVERIFY(!QFileInfo(sSaved).isSymLink());
    QCOMPARE(Content(sSaved), data);
    // ... and the folder holding the new name went out after it.
    QCOMPARE(spy.calls.size(), 2);
    QCOMPARE(spy.calls[1].bDirectory, true);
    QCOMPARE(spy.calls[1].inode, InodeUnder(inside.path()));
    QCOMPARE(spy.calls[1].finalInode, partInode);
}

// The sync holds Commit until a timer posted before it has run, which it can
// only do if Commit processes events while it waits.
void tst_PartFile::commitProcessesEventsWhileWritingOut()
{
    QTemporaryDir dir;
    std::atomic<bool> bTimerRan{false};
    std::atomic<int> iSyncsAfterTimer{0};
    PartFile file([&](int fd) {
        for (int i = 0; i < 10000 && !bTimerRan; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        iSyncsAfterTimer += bTimerRan ? 1 : 0;
        return ::fsync(fd);
    });
    QVERIFY(file.Open(dir.filePath("clip.flv")));
    QVERIFY(file.Write("data", 4));
    QTimer::singleShot(0, this, [&] { bTimerRan = true; });
    QVERIFY(file.Commit());
    QCOMPARE(iSyncsAfterTimer.load(), 2);
    QCOMPARE(Content(dir.filePath("clip.flv")), QByteArray("data"));
}

// A kept part is continued with the record of where it came from, in an
// extended attribute or a side file, and only when it is a file of its own;
// the committed file keeps no record, and nothing is left beside it.
void tst_PartFile::keptPartRemembersItsOrigin_data()
{
    QTest::addColumn<bool>("bAttributes");
    QTest::addColumn<QString>("sPartIs"); // "kept", "link", "second name"
    QTest::newRow("extended attribute") << true << "kept";
    QTest::newRow("side file") << false << "kept";
    QTest::newRow("a link under the part's name: not continued") << true << "link";
    QTest::newRow("a part with a second name: not continued") << false << "second name";
}

void tst_PartFile::keptPartRemembersItsOrigin()
{
    QFETCH(bool, bAttributes);
    QFETCH(QString, sPartIs);
    QTemporaryDir dir;
    if (const QString sWhy = WhyNoUserAttributes(dir.path()); bAttributes && !sWhy.isEmpty())
        QSKIP(qPrintable(sWhy));
    const RecordPlace place = bAttributes ? RecordPlace::AttributeFirst : RecordPlace::SideFileOnly;
    const QString sName = dir.filePath("clip.flv");
    const QString sSide = PartOrigin::SidePathFor(PartFile::PartPathFor(sName));
    const PartOrigin origin{"http://h/clip.flv", "\"e1\"", 8};
    {
        PartFile file;
        file.SetRecordPlace(place);
        QVERIFY(file.Open(sName));
        QVERIFY(file.SetOrigin(origin));
        QVERIFY(file.Write("0123", 4));
        file.Keep();
    }
    QCOMPARE(QFileInfo::exists(sSide), !bAttributes);
    if (sPartIs != "kept") {
        const QString sMoved = dir.filePath("elsewhere");
        QVERIFY(QFile::rename(PartFile::PartPathFor(sName), sMoved));
        if (sPartIs == "link")
            QVERIFY(QFile::link(sMoved, PartFile::PartPathFor(sName)));
        else
            QCOMPARE(::link(QFile::encodeName(sMoved).constData(),
                            QFile::encodeName(PartFile::PartPathFor(sName)).constData()), 0);
        PartFile file;
        QVERIFY(!file.Continue(sName));
        QCOMPARE(Content(sMoved), QByteArray("0123"));
        return;
    }

    PartFile file;
    QVERIFY(file.Continue(sName));
    QCOMPARE(file.Size(), qint64(4));
    const PartOrigin read = file.Origin();
    QCOMPARE(read.sUrl, origin.sUrl);
    QCOMPARE(read.sValidator, origin.sValidator);
    QCOMPARE(read.lTotal, origin.lTotal);
    QVERIFY(file.Write("4567", 4));
    QVERIFY(file.Commit());

    QCOMPARE(Content(sName), QByteArray("01234567"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"clip.flv"});
    char buffer[256];
    QCOMPARE(::getxattr(QFile::encodeName(sName).constData(), "user.clipvane.origin", buffer,
                        sizeof buffer),
             ssize_t(-1));
}

// Without extended attributes the record goes beside the part, under a name
// that fits the file system even when the part's own name nearly fills it;
// a record that cannot be written at all leaves a part that is written but
// never continued.
void tst_PartFile::recordThatCannotBeKeptOnlyTurnsResumeOff_data()
{
    QTest::addColumn<QString>("sName");
    QTest::addColumn<qint64>("lRoom"); // for the record; -1: room enough
    QTest::addColumn<bool>("bKept");
    const QString sAscii = QString(240, u'n') + QStringLiteral(".flv");
    QTest::newRow("short name") << QStringLiteral("clip.flv") << qint64(-1) << true;
    QTest::newRow("244-byte name: 256 bytes with .part.origin") << sAscii << qint64(-1) << true;
    // Two bytes a character: a cut in the middle of one would be no name.
    QTest::newRow("247-byte name of two-byte characters")
        << QString(121, u'é') + QStringLiteral("x.flv") << qint64(-1) << true;
    QTest::newRow("full disk") << QStringLiteral("clip.flv") << qint64(0) << false;
    QTest::newRow("full disk, long name") << sAscii << qint64(10) << false;
}

void tst_PartFile::recordThatCannotBeKeptOnlyTurnsResumeOff()
{
    QFETCH(QString, sName);
    QFETCH(qint64, lRoom);
    QFETCH(bool, bKept);
    QTemporaryDir dir;
    const QString sFinal = dir.filePath(sName);
    const QString sPart = PartFile::PartPathFor(sFinal);
    const QString sSide = PartOrigin::SidePathFor(sPart);
    QVERIFY(QFile::encodeName(QFileInfo(sSide).fileName()).size() <= NAME_MAX);
    // Another part's record is never this one's.
    QVERIFY(sSide != PartOrigin::SidePathFor(sPart + QStringLiteral("x")));
    const PartOrigin origin{"http://h/clip.flv", "\"e1\"", 8};
    {
        PartFile file;
        file.SetRecordPlace(RecordPlace::SideFileOnly);
        QVERIFY2(file.Open(sFinal), qPrintable(file.ErrorString()));
        const FullDisk disk(lRoom < 0 ? 1 << 20 : lRoom);
        QVERIFY(file.SetOrigin(origin));
        QVERIFY(file.Write("0123", 4));
        file.Keep();
    }
    QCOMPARE(QFileInfo::exists(sSide), bKept);

    PartFile file;
    QVERIFY(file.Continue(sFinal));
    QCOMPARE(file.Size(), qint64(4));
    const PartOrigin read = file.Origin();
    QCOMPARE(read.sUrl, bKept ? origin.sUrl : QString());
    QCOMPARE(read.CanContinue(origin.sUrl), bKept);
    file.Discard();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(tst_PartFile)
#include "tst_partfile.moc"
