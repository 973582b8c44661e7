#pragma once

#include <QtGlobal>

// While it lives, the program's whole-file writes see a file system with
// room for lRoom more bytes: the write that would go past it takes what
// fits, and the next one fails with ENOSPC. One at a time.
class FullDisk
{
public:
    explicit FullDisk(qint64 lRoom);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    // Write calls made so far, failed ones included.
    static int Writes();
};
