#include "clip/clipboardforwarder.h"

#include <QLocalSocket>

#include "clip/cliplog.h"
#include "core/cliphandover.h"
#include "sites/anysite.h"

namespace {

constexpr int kConnectMs = 2000;

} // namespace

ClipboardForwarder::ClipboardForwarder(QClipboard &clipboard, QObject *parent)
    : QObject(parent)
    , m_clipboard(clipboard)
    , m_pProgram(new QLocalSocket(this))
{
    connect(m_pProgram, &QLocalSocket::disconnected, this, &ClipboardForwarder::ProgramGone);
    connect(m_pProgram, &QLocalSocket::readyRead, this, &ClipboardForwarder::ReadProgram);
}

bool ClipboardForwarder::ConnectToProgram(qint64 iNumber)
{
    const QString sName = ClipHandOver::ProgramEndpoint(iNumber);
    if (sName.isEmpty())
        return false;
    m_pProgram->connectToServer(sName);
    if (m_pProgram->waitForConnected(kConnectMs)) {
        // The program says at once which addresses it wants; a copy made
        // before that is heard is judged as for supported sites only.
        if (m_pProgram->waitForReadyRead(kConnectMs))
            ReadProgram();
        return true;
    }
    qCWarning(lcClip, "Not watching: cannot reach the program at %s: %s", qPrintable(sName),
              qPrintable(m_pProgram->errorString()));
    return false;
}

void ClipboardForwarder::Start()
{
    connect(&m_clipboard, &QClipboard::changed, this, &ClipboardForwarder::ClipboardChanged,
            Qt::UniqueConnection);
}

void ClipboardForwarder::Stop()
{
    disconnect(&m_clipboard, &QClipboard::changed, this, &ClipboardForwarder::ClipboardChanged);
}

void ClipboardForwarder::ClipboardChanged(QClipboard::Mode mode)
{
    if (mode != QClipboard::Clipboard)
        return;
    const std::optional<QString> sText = ClipHandOver::Forwardable(m_clipboard.text(mode));
    if (sText && modDownload::IsWanted(*sText, m_bAnySite)) {
        const QString sAddress = sText->trimmed();
        qCDebug(lcClip, "Handing over %s", qPrintable(sAddress));
        m_pProgram->write(ClipHandOver::Frame(sAddress));
        m_pProgram->flush();
    }
}

void ClipboardForwarder::ReadProgram()
{
    // Only the last word counts; anything else the program sends is dropped.
    for (const char c : m_pProgram->readAll()) {
        if (c == ClipHandOver::kAnySiteOn || c == ClipHandOver::kAnySiteOff)
            m_bAnySite = c == ClipHandOver::kAnySiteOn;
    }
}
