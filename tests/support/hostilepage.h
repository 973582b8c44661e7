#pragma once

#include <QByteArray>
#include <QtGlobal>

// A page made to be slow to read, iBytes long: attribute values of bare '&'
// (in the attributes the rule for other sites reads), one of them of
// megabytes, runs of '<', quotes that do not match, nested comments, scripts
// full of almost-closing tags, and at its end a script that never closes. The addresses it names
// are none of http or https.
QByteArray HostilePage(qsizetype iBytes);
