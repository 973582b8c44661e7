#pragma once

#include <QtGlobal>

// The peak resident memory of this process, as Linux keeps it.
//
// Starts counting the peak afresh from what the process holds now (a no-op
// where the system does not allow it).
void ResetPeakMemory();
// The peak since the last ResetPeakMemory (or since the start), in KiB; -1
// when the system does not say.
qint64 PeakMemoryKiB();
// What the process holds resident now, in KiB; -1 when the system does not say.
qint64 ResidentMemoryKiB();
