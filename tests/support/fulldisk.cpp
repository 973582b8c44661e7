#include "fulldisk.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <unistd.h>

#include "core/wholefilewriter.h"

namespace {

// The list is written on a thread of its own.
std::atomic<qint64> g_lRoom{0};
std::atomic<int> g_iWrites{0};

ssize_t WriteToFullDisk(int fd, const void *pData, size_t iBytes)
{
    ++g_iWrites;
    const qint64 lRoom = g_lRoom.load();
    if (lRoom <= 0) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t iWritten = ::write(fd, pData, std::min(iBytes, size_t(lRoom)));
    if (iWritten > 0)
        g_lRoom -= iWritten;
    return iWritten;
}

} // namespace

FullDisk::FullDisk(qint64 lRoom)
{
    g_lRoom = lRoom;
    g_iWrites = 0;
    WholeFileWriter::SetWriteFunction(&WriteToFullDisk);
}

FullDisk::~FullDisk()
{
    WholeFileWriter::SetWriteFunction(nullptr);
}

int FullDisk::Writes()
{
    return g_iWrites.load();
}
