// Times the rule for pages of other sites on hostile pages (bare '&' in the
// values it decodes, runs of '<', odd quotes, nested comments, an unclosed
// script) of 1, 4 and 16 MiB, against an ordinary page of the same size read
// by the same rule, and a plain count of its '<' as the floor. Linear time
// shows as a steady time per MiB from size to size.

#include <QCoreApplication>
#include <QString>

#include <cstdio>

#include "hostilepage.h"
#include "mediantime.h"
#include "sites/anysite.h"

namespace {

constexpr int kRepeats = 5;

QByteArray OrdinaryPage(qsizetype iBytes)
{
    const QByteArray piece = "<div class=\"story\"><p>Some text about a video, &amp; more.</p>"
                             "<a href=\"/story/12.html\">next</a><img src=\"/i/1.jpg\" alt=''></div>\n";
    QByteArray page;
    page.reserve(iBytes);
    while (page.size() + piece.size() <= iBytes)
        page += piece;
    return page.leftJustified(iBytes, ' ');
}

template <typename F>
double MedianMs(F &&f)
{
    return bench::MedianMs(kRepeats, f);
}

double RuleMs(const QString &sPage)
{
    return MedianMs([&] {
        modDownload::FindPageVideo(sPage, QStringLiteral("https://example.org/page"));
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("%-8s %14s %14s %14s %12s\n", "MiB", "hostile ms", "ordinary ms", "count '<' ms",
                "hostile/MiB");
    for (const int iMiB : {1, 4, 16}) {
        const qsizetype iBytes = qsizetype(iMiB) * 1024 * 1024;
        const QString sHostile = QString::fromUtf8(HostilePage(iBytes));
        const QString sOrdinary = QString::fromUtf8(OrdinaryPage(iBytes));
        const double dHostileMs = RuleMs(sHostile);
        const double dOrdinaryMs = RuleMs(sOrdinary);
        qsizetype iTags = 0;
        const double dFloorMs = MedianMs([&] { iTags = sHostile.count(u'<'); });
        std::printf("%-8d %14.1f %14.1f %14.1f %12.1f   (target: 16 MiB < 1000 ms; %lld '<')\n",
                    iMiB, dHostileMs, dOrdinaryMs, dFloorMs, dHostileMs / iMiB,
                    static_cast<long long>(iTags));
    }
    return 0;
}
