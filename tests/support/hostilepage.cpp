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
    // A script that never closes: the rest is searched for its end.
    const QByteArray end = "<script>";
    QByteArray page;
    page.reserve(iBytes);
    // Half of it tags, half an unclosed script.
    for (qsizetype i = 0; page.size() + pieces.at(i % pieces.size()).size() <= iBytes / 2; ++i)
        page += pieces.at(i % pieces.size());
    page += end;
    while (page.size() + 3 <= iBytes)
        page += "</s";
    return page.leftJustified(iBytes, '&');
}
