#include "media/averrortext.h"

#include "media/libav.h"

extern "C" {
#include <libavutil/error.h>
}

QString AvErrorText(int iCode)
{
    char aText[AV_ERROR_MAX_STRING_SIZE] = {};
    LibAv::Get().av_strerror(iCode, aText, sizeof aText);
    return QString::fromUtf8(aText);
}
