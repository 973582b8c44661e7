#pragma once

#include <QCoreApplication>
#include <QNetworkReply>

// Blocks in the event loop until something happens, instead of spinning: a
// transfer waiting for the network must cost no CPU.
inline void WaitForNetwork()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Qt reports an HTTP error status (404, 500, ...) as a reply error too; those
// answers still carry a body and are transferred like any other. Only a
// failure of the connection or of the protocol is a real failure to read.
inline bool IsTransportError(QNetworkReply::NetworkError error)
{
    if (error == QNetworkReply::NoError)
        return false;
    const int iCode = error;
    const bool bFromStatus = (iCode >= 201 && iCode <= 299)
        || iCode == QNetworkReply::ProtocolInvalidOperationError // status 400
        || (iCode >= 401 && iCode <= 499);
    return !bFromStatus;
}
