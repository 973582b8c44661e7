#include "media/averrortext.h"

extern "C" {
#include <libavutil/error.h>
}

QString AvErrorText(int iCode)
{
    char aText[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(iCode, aText, sizeof aText);
    return QString::fromUtf8(aText);
}
