#include "media/libav.h"

#include <dlfcn.h>

#include <array>
#include <mutex>

namespace {

#define CLIPVANE_SONAME(name, major) "lib" name ".so." AV_STRINGIFY(major)

// The versions the program was built against, as their packages name them.
constexpr const char *kLibraries[] = {CLIPVANE_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR),
                                      CLIPVANE_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR),
                                      CLIPVANE_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR)};

#undef CLIPVANE_SONAME

LibAv g_libAv;
QString g_sError;

template<typename Function>
bool Find(Function &pFunction, const char *pName, const std::array<void *, 3> &handles)
{
    for (void *pHandle : handles) {
        if (void *pSymbol = ::dlsym(pHandle, pName)) {
            pFunction = reinterpret_cast<Function>(pSymbol);
            return true;
        }
    }
    g_sError = QStringLiteral("FFmpeg has no %1").arg(QLatin1StringView(pName));
    return false;
}

bool LoadOnce()
{
    std::array<void *, 3> handles{};
    for (size_t i = 0; i < handles.size(); ++i) {
        // Never closed: FFmpeg stays for the program's life once it is used.
        handles[i] = ::dlopen(kLibraries[i], RTLD_NOW | RTLD_LOCAL);
        if (!handles[i]) {
            g_sError = QStringLiteral("FFmpeg cannot be loaded: %1").arg(QString::fromLocal8Bit(::dlerror()));
            return false;
        }
    }
    LibAv &av = g_libAv;
    return true
        && Find(av.av_dict_copy, "av_dict_copy", handles)
        && Find(av.av_dict_free, "av_dict_free", handles)
        && Find(av.av_dict_set, "av_dict_set", handles)
        && Find(av.av_guess_format, "av_guess_format", handles)
        && Find(av.av_interleaved_write_frame, "av_interleaved_write_frame", handles)
        && Find(av.av_log_format_line2, "av_log_format_line2", handles)
        && Find(av.av_log_set_callback, "av_log_set_callback", handles)
        && Find(av.av_packet_alloc, "av_packet_alloc", handles)
        && Find(av.av_packet_free, "av_packet_free", handles)
        && Find(av.av_packet_rescale_ts, "av_packet_rescale_ts", handles)
        && Find(av.av_packet_unref, "av_packet_unref", handles)
        && Find(av.av_read_frame, "av_read_frame", handles)
        && Find(av.av_rescale_q, "av_rescale_q", handles)
        && Find(av.av_strerror, "av_strerror", handles)
        && Find(av.av_write_trailer, "av_write_trailer", handles)
        && Find(av.avcodec_parameters_copy, "avcodec_parameters_copy", handles)
        && Find(av.avformat_alloc_context, "avformat_alloc_context", handles)
        && Find(av.avformat_alloc_output_context2, "avformat_alloc_output_context2", handles)
        && Find(av.avformat_close_input, "avformat_close_input", handles)
        && Find(av.avformat_find_stream_info, "avformat_find_stream_info", handles)
        && Find(av.avformat_free_context, "avformat_free_context", handles)
        && Find(av.avformat_new_stream, "avformat_new_stream", handles)
        && Find(av.avformat_open_input, "avformat_open_input", handles)
        && Find(av.avformat_query_codec, "avformat_query_codec", handles)
        && Find(av.avformat_write_header, "avformat_write_header", handles)
        && Find(av.avio_closep, "avio_closep", handles)
        && Find(av.avio_open2, "avio_open2", handles)
        && Find(av.avio_seek, "avio_seek", handles)
        ;
}

} // namespace

bool LibAv::Load()
{
    static std::once_flag sOnce;
    static bool sbLoaded = false;
    std::call_once(sOnce, [] { sbLoaded = LoadOnce(); });
    return sbLoaded;
}

QString LibAv::Error()
{
    return g_sError;
}

const LibAv &LibAv::Get()
{
    return g_libAv;
}
