#include "media/averrortext.h"
#include "media/libav.h"

QString AvErrorText(int iCode)
{
    char aText[AV_ERROR_MAX_STRING_SIZE] = {};
    Av().av_strerror(iCode, aText, sizeof aText);
    return QString::fromUtf8(aText);
}
