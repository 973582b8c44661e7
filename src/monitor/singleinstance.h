#pragma once

#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

// One program per user. The first program claims a local socket in the
// user's runtime directory; a later start hands its page addresses to it
// there and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // sEndpoint: the socket's path; empty means the program's usual one.
    explicit SingleInstance(const QString &sEndpoint = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this program is now the one that runs. False when another
    // one already does (or the endpoint cannot be made): hand over with
    // HandOver then.
    bool Claim();

    // Gives the running program the addresses (none: it only comes to the
    // front). True when they were delivered.
    bool HandOver(const QStringList &addresses) const;

    // The program is ending: it takes no more hand-overs. The endpoint goes
    // at once, so a start from now on claims it instead of handing its
    // addresses to a program that would drop them; a hand-over already
    // connected is refused and its sender runs on its own.
    void Release();

    // A program listens before its window can take addresses (it reads its
    // kept list first). Between Hold and Deliver, hand-overs are answered
    // and kept; Deliver sends them on in order of arrival, and every later
    // one as it arrives.
    void Hold() { m_bHolding = true; }
    void Deliver();

    QString Endpoint() const { return m_sEndpoint; }

Q_SIGNALS:
    // A later start asked this program to come to the front and add these
    // addresses (possibly none).
    void AddressesReceived(const QStringList &addresses);

private:
    void Receive();
    void Received(const QStringList &addresses);

    QString m_sEndpoint;
    QLocalServer m_server;
    bool m_bHolding = false;
    QList<QStringList> m_held;
};
