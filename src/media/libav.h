#pragma once

#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

// The FFmpeg functions the media layer calls, looked up when media is first
// remuxed instead of bound when the program starts: FFmpeg's libraries bring
// some hundred others with them, and loading those took longer than the
// rest of clipvane-get's start together.
class LibAv
{
public:
    // Loads FFmpeg once; false, with Error(), when it cannot be.
    static bool Load();
    static QString Error();
    // Only after Load succeeded.
    static const LibAv &Get();

    decltype(&::av_dict_copy) av_dict_copy = nullptr;
    decltype(&::av_dict_free) av_dict_free = nullptr;
    decltype(&::av_dict_set) av_dict_set = nullptr;
    decltype(&::av_guess_format) av_guess_format = nullptr;
    decltype(&::av_interleaved_write_frame) av_interleaved_write_frame = nullptr;
    decltype(&::av_log_format_line2) av_log_format_line2 = nullptr;
    decltype(&::av_log_set_callback) av_log_set_callback = nullptr;
    decltype(&::av_packet_alloc) av_packet_alloc = nullptr;
    decltype(&::av_packet_free) av_packet_free = nullptr;
    decltype(&::av_packet_rescale_ts) av_packet_rescale_ts = nullptr;
    decltype(&::av_packet_unref) av_packet_unref = nullptr;
    decltype(&::av_read_frame) av_read_frame = nullptr;
    decltype(&::av_rescale_q) av_rescale_q = nullptr;
    decltype(&::av_strerror) av_strerror = nullptr;
    decltype(&::av_write_trailer) av_write_trailer = nullptr;
    decltype(&::avcodec_parameters_copy) avcodec_parameters_copy = nullptr;
    decltype(&::avformat_alloc_context) avformat_alloc_context = nullptr;
    decltype(&::avformat_alloc_output_context2) avformat_alloc_output_context2 = nullptr;
    decltype(&::avformat_close_input) avformat_close_input = nullptr;
    decltype(&::avformat_find_stream_info) avformat_find_stream_info = nullptr;
    decltype(&::avformat_free_context) avformat_free_context = nullptr;
    decltype(&::avformat_new_stream) avformat_new_stream = nullptr;
    decltype(&::avformat_open_input) avformat_open_input = nullptr;
    decltype(&::avformat_query_codec) avformat_query_codec = nullptr;
    decltype(&::avformat_write_header) avformat_write_header = nullptr;
    decltype(&::avio_closep) avio_closep = nullptr;
    decltype(&::avio_open2) avio_open2 = nullptr;
    decltype(&::avio_seek) avio_seek = nullptr;
};
