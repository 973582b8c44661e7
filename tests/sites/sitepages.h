#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// One page per supported site, written from the markers its rule looks for,
// with the file address the rule must find in it.
struct SitePage
{
    const char *sName;
    qint16 iSite;
    QString A;          // the page address
    QByteArray page;
    QString sExpected;  // for YouTube: the player address the resolver is given
};

// Page addresses are sBase followed by the site's domain and a path, so the
// same pages serve under a real-looking host and under a local test server.
QList<SitePage> SitePages(const QString &sBase);
