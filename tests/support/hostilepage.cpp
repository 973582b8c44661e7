#include "hostilepage.h"

#include <QList>

QByteArray HostilePage(qsizetype iBytes)
{
    const QByteArray ampersands(4096, '&');
    const QList<QByteArray> pieces{
        "<a href=\"mailto:" + ampersands + "\">",
        "<meta property=\"og:video\" content=\"data:&#x;&amp" + ampersands + "\">",
        "<video src='blob:" + ampersands + "'><source type=\"&" + ampersands + "\" src=data:&&&>",
        "<base href=\"&&&&\">" + QByteArray(2048, '<') + "<a<b<c<meta<video",
        "<!-- <!-- <!-- <video src=\"/in-a-comment.mp4\"> -- > --!> -->",
        "<div class='a\"b' data-x=\"it's\" title=\"&lt;&\" = == '\">",
        "<script>var a = \"</scr\" + '</s' + \"</\" + '<script>';</script>",
        "<script type=\"application/ld+json\">{\"@type\":\"VideoObject\",\"contentUrl\":\""
            + ampersands + "</script>",
    };
    QByteArray page;
    page.reserve(iBytes);
    // A quarter of it tags...
    for (qsizetype i = 0; page.size() + pieces.at(i % pieces.size()).size() <= iBytes / 4; ++i)
        page += pieces.at(i % pieces.size());
    // ... then one value of bare '&' that the rule reads, of three eighths ...
    page += "<meta property=\"og:video\" content=\"data:";
    page += QByteArray(iBytes * 5 / 8 - page.size(), '&');
    page += "\">";
    // ... and a script that never closes: the rest is searched for its end.
    page += "<script>";
    while (page.size() + 3 <= iBytes)
        page += "</s";
    return page.leftJustified(iBytes, '<');
}
