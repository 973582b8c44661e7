#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

// Which of a stream's qualities to save: the user's limit and the choice it
// makes among the variants (HLS) or video representations (DASH).
class StreamQuality
{
public:
    enum class Limit { Best, Max1080, Max720, Max480, Smallest };

    struct Video
    {
        int iHeight = 0; // 0: not given
        qint64 lBandwidth = 0;
    };
    struct Audio
    {
        bool bDefault = false;
        qint64 lBandwidth = 0;
    };

    // The highest video whose height is at most the limit, the higher
    // bandwidth among equals; when none is that low, the lowest. Videos
    // without a height count only when none has one (they are mostly
    // audio-only variants), and are then ranked by bandwidth. -1 for none.
    static qsizetype PickVideo(const QList<Video> &videos, Limit limit);
    // The audio marked default, else the one with the highest bandwidth,
    // else the first. -1 for none.
    static qsizetype PickAudio(const QList<Audio> &audios);

    // "best", "1080", "720", "480", "smallest" (also "1080p" and so on, any case).
    static std::optional<Limit> LimitFromText(QStringView text);
    static QString TextOf(Limit limit);
};
