#pragma once

// Routes FFmpeg's log lines into the "clipvane.media" category, as debug
// lines: FFmpeg would otherwise write to stderr on its own, and its
// warnings about odd input are noise next to the error a caller reports.
class FfmpegLog
{
public:
    // Safe to call from any thread, any number of times.
    static void Install();
};
