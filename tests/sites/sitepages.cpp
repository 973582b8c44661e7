#include "sitepages.h"

#include "sites/sitedetect.h"

using namespace modDownload;

QList<SitePage> SitePages(const QString &sBase)
{
    const QString sBolt = sBase + QStringLiteral("bolt.com/video/12345");
    return {
        {"google video", siteGoogleVideo, sBase + "video.google.com/videoplay?docid=1",
         "flashvars=\"videoUrl=http%3A%2F%2Fvp.google.com%2Fget%3Fid%3D7\" more",
         "http://vp.google.com/get?id=7"},
        {"youtube", siteYoutube, sBase + "youtube.com/watch?v=abc",
         "var embedCode = '<object><embed src=\"http://127.0.0.1/v/abc&hl=en' + x;",
         "http://127.0.0.1/v/abc&hl=en"},
        {"bolt", siteBolt, sBolt,
         "<input Value=\"[url=" + sBolt.toLatin1()
             + "][IMG]http://thumbs.bolt.com/image/ab/12345_t.jpg[/IMG][/url]\">",
         "http://thumbs.bolt.com/movie/ab/12345.flv"},
        {"myspace", siteMyspace, sBase + "vids.myspace.com/index.cfm?fuseaction=vids.individual&videoid=1234567890",
         "<html>", "http://content.movies.myspace.com/0012345/09/87/1234567890.flv"},
        {"angryalien", siteAngryAlien, sBase + "angryalien.com/0604/",
         "<embed src=\"http://www.angryalien.com/0604/bunnies.swf\" quality=high>",
         "http://www.angryalien.com/0604/bunnies.swf"},
        {"thatvideosite", siteThatVideoSite, sBase + "thatvideosite.com/video/1",
         "<EMBED SRC='http://www.thatvideosite.com/flv/a.flv' width=1>", "http://www.thatvideosite.com/flv/a.flv"},
        {"ifilm", siteIfilm, sBase + "ifilm.com/video/2701",
         "{*url* : *http://www.ifilm.com/flv/2701.flv?a=1$b=2$c=3*, *x* : 1}",
         "http://www.ifilm.com/flv/2701.flv?a=1&b=2&c=3"},
        {"break", siteBreak, sBase + "break.com/index/cat.html",
         "sGlobalFileName='Funny_Cat';\nvar sGlobalContentFilePath='2007/11';",
         "http://media1.break.com/dnet/media/2007/11/Funny_Cat.flv"},
        {"blip", siteBlip, sBase + "blip.tv/file/123",
         "<input readonly=\"readonly\" type=\"text\" class=\"permalink_input\" "
         "value=\"http://blip.tv/file/get/Show-Ep123.flv\" />",
         "http://blip.tv/file/get/Show-Ep123.flv"},
        {"dailymotion", siteDailyMotion, sBase + "dailymotion.com/video/x1",
         "so.addVariable(\"url\", \"http%3A%2F%2Fwww.dailymotion.com%2Fget%2F14%2F1.flv%3Fkey%3Dab\");",
         "http://www.dailymotion.com/get/14/1.flv?key=ab"},
        {"putfile", sitePutFile, sBase + "putfile.com/clip",
         "<a href=\"http://media.putfile.com/a.wmv\">wmv</a> <embed src=\"http://x.putfile.com/b.FLV\">",
         "http://x.putfile.com/b.FLV"},
        {"zippyvideos", siteZippyVideos, sBase + "zippyvideos.com/1",
         "fv='storageId=17&userName=joe&videoId=4242&x=1'; s='srvURL=http://s1.zippyvideos.com/v';",
         "http://s1.zippyvideos.com/v/17/joe/4242"},
    };
}
