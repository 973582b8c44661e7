#pragma once

#include <QString>

// FFmpeg's own text for one of its error codes (av_strerror).
QString AvErrorText(int iCode);
