#pragma once

#include <QProcess>
#include <QString>

// Python's http.server serving one directory on 127.0.0.1: a real HTTP
// server that this project did not write, for interoperability tests.
class PythonHttpServer
{
public:
    ~PythonHttpServer();

    // False when python3 is not installed (tests skip then).
    static bool Available();
    // Starts serving sDirectory at a free port and waits until it accepts
    // connections. False when it did not come up.
    bool Start(const QString &sDirectory);
    // "http://127.0.0.1:<port>/" followed by sName.
    QString Url(const QString &sName) const;

private:
    QProcess m_process;
    quint16 m_iPort = 0;
};
