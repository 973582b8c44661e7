#include "clip/clipboardforwarder.h"

#include <QLocalSocket>

#include "clip/cliplog.h"
#include "core/cliphandover.h"

namespace {

constexpr int kConnectMs = 2000;

} // namespace

ClipboardForwarder::ClipboardForwarder(QClipboard &clipboard, QObject *parent)
    : QObject(parent)
    , m_clipboard(clipboard)
    , m_pProgram(new QLocalSocket(this))
{
    connect(m_pProgram, &QLocalSocket::disconnected, this, &ClipboardForwarder::ProgramGone);
    // The program never writes; anything it sends is dropped unread.
    connect(m_pProgram, &QLocalSocket::readyRead, m_pProgram, [this] { m_pProgram->readAll(); });
}

bool ClipboardForwarder::ConnectToProgram(qint64 iNumber)
{
    const QString sName = ClipHandOver::ProgramEndpoint(iNumber);
    if (sName.isEmpty())
        return false;
    m_pProgram->connectToServer(sName);
    if (m_pProgram->waitForConnected(kConnectMs))
        return true;
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
    if (const std::optional<QString> sText = ClipHandOver::Forwardable(m_clipboard.text(mode))) {
        m_pProgram->write(ClipHandOver::Frame(*sText));
        m_pProgram->flush();
    }
}
