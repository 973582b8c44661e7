#include "media/libav.h"

#include <dlfcn.h>

#include <mutex>

namespace {

// The names the linker would have recorded: the major versions built against.
#define CLIPVANE_SONAME(library, major) "lib" library ".so." AV_STRINGIFY(major)
constexpr const char *kUtil = CLIPVANE_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR);
constexpr const char *kCodec = CLIPVANE_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR);
constexpr const char *kFormat = CLIPVANE_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR);
#undef CLIPVANE_SONAME

} // namespace

LibAv &LibAv::Opened()
{
    static LibAv sLibAv;
    static std::once_flag sOnce;
    std::call_once(sOnce, [] { sLibAv.m_bLoaded = sLibAv.Load(); });
    return sLibAv;
}

const LibAv *LibAv::Get()
{
    LibAv &libAv = Opened();
    return libAv.m_bLoaded ? &libAv : nullptr;
}

QString LibAv::ErrorString()
{
    return Opened().m_sError;
}

bool LibAv::Load()
{
    // Never closed: the functions are used until the program ends.
    void *const pUtil = dlopen(kUtil, RTLD_NOW | RTLD_LOCAL);
    void *const pCodec = pUtil ? dlopen(kCodec, RTLD_NOW | RTLD_LOCAL) : nullptr;
    void *const pFormat = pCodec ? dlopen(kFormat, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!pFormat) {
        m_sError = QStringLiteral("FFmpeg's libraries cannot be loaded: %1")
                       .arg(QString::fromLocal8Bit(dlerror()));
        return false;
    }
    const struct
    {
        void *Util;
        void *Codec;
        void *Format;
    } libraries{pUtil, pCodec, pFormat};
#define CLIPVANE_LIBAV_RESOLVE(library, name)                                                    \
    name = reinterpret_cast<decltype(name)>(dlsym(libraries.library, #name));                    \
    if (!name) {                                                                                 \
        m_sError = QStringLiteral("FFmpeg's libraries lack %1").arg(QLatin1String(#name));       \
        return false;                                                                            \
    }
    CLIPVANE_LIBAV_FUNCTIONS(CLIPVANE_LIBAV_RESOLVE)
#undef CLIPVANE_LIBAV_RESOLVE
    return true;
}
