// Linked into every test program of a sanitizer build. The programs a test
// starts (clipvane, clipvane-get, clipvane-clip) are sanitized too, but a
// test does not always read their exit status or their output, and some are
// started by the code under test. Their reports go to files of this process
// instead, and any report found when it ends fails the test, shown in full.
// The test process's own reports stay on standard error: its options were
// read before this runs.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace {

class ChildSanitizerReports
{
public:
    ChildSanitizerReports()
    {
        if (!m_dir.isValid())
            qFatal("cannot make a folder for sanitizer reports under %s", qPrintable(QDir::tempPath()));
        const QByteArray logPath = "log_path=" + QFile::encodeName(m_dir.filePath(QStringLiteral("report")));
        for (const char *pName : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
            const QByteArray options = qgetenv(pName);
            qputenv(pName, options.isEmpty() ? logPath : options + ':' + logPath);
        }
    }

    ~ChildSanitizerReports()
    {
        const QDir dir(m_dir.path());
        const QStringList reports = dir.entryList(QDir::Files, QDir::Name);
        if (reports.isEmpty())
            return;
        for (const QString &sName : reports) {
            QFile report(dir.filePath(sName));
            if (report.open(QIODevice::ReadOnly))
                std::fprintf(stderr, "Sanitizer report of a program the test started (%s):\n%s\n",
                             qPrintable(sName), report.readAll().constData());
        }
        std::fflush(stderr);
        m_dir.remove();
        std::_Exit(EXIT_FAILURE);
    }

private:
    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/clipvane-sanitizer-XXXXXX")};
};

const ChildSanitizerReports childReports;

} // namespace
