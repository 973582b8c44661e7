#pragma once

#include <QString>
#include <QUrl>

// How the program reads an address it is given, everywhere it reads one: an
// address without a scheme is taken as http (the way the host/path split of
// the first versions read it), and only http and https are fetched.
QUrl ParseWebAddress(const QString &sAddress);
bool IsWebUrl(const QUrl &url);
