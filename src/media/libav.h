#pragma once

#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

// The FFmpeg functions the media layer calls, each under its own name.
// FFmpeg's libraries and the hundred or so they link take longer to load
// than the window takes to show, so they are opened the first time a
// stream is joined, not when the program starts.
#define CLIPVANE_LIBAV_FUNCTIONS(F)                                                             \
    F(Util, av_strerror)                                                                         \
    F(Util, av_log_set_callback)                                                                 \
    F(Util, av_log_format_line2)                                                                 \
    F(Util, av_rescale_q)                                                                        \
    F(Util, av_dict_set)                                                                         \
    F(Util, av_dict_copy)                                                                        \
    F(Util, av_dict_free)                                                                        \
    F(Codec, av_packet_alloc)                                                                    \
    F(Codec, av_packet_free)                                                                     \
    F(Codec, av_packet_unref)                                                                    \
    F(Codec, av_packet_rescale_ts)                                                               \
    F(Codec, avcodec_parameters_copy)                                                            \
    F(Format, avformat_alloc_context)                                                            \
    F(Format, avformat_open_input)                                                               \
    F(Format, avformat_find_stream_info)                                                         \
    F(Format, avformat_close_input)                                                              \
    F(Format, av_read_frame)                                                                     \
    F(Format, av_guess_format)                                                                   \
    F(Format, avformat_query_codec)                                                              \
    F(Format, avformat_alloc_output_context2)                                                    \
    F(Format, avformat_new_stream)                                                               \
    F(Format, avformat_write_header)                                                             \
    F(Format, av_interleaved_write_frame)                                                        \
    F(Format, av_write_trailer)                                                                  \
    F(Format, avformat_free_context)                                                             \
    F(Format, avio_open2)                                                                        \
    F(Format, avio_closep)                                                                       \
    F(Format, avio_seek)

class LibAv
{
public:
    // The functions, or null when the libraries cannot be opened; opened
    // once, on the first call. Safe to call from any thread.
    static const LibAv *Get();
    // Why Get() gave null.
    static QString ErrorString();

#define CLIPVANE_LIBAV_MEMBER(library, name) decltype(&::name) name = nullptr;
    CLIPVANE_LIBAV_FUNCTIONS(CLIPVANE_LIBAV_MEMBER)
#undef CLIPVANE_LIBAV_MEMBER

private:
    LibAv() = default;
    static LibAv &Opened();
    bool Load();

    bool m_bLoaded = false;
    QString m_sError;
};

// The functions, for code that runs only once LibAv::Get() has given them.
inline const LibAv &Av()
{
    return *LibAv::Get();
}
