#pragma once

#include <QString>

// Small media made by the tests themselves: three seconds of a moving
// picture and a tone, encoded with FFmpeg's encoders and cut the way
// streams come, then the pieces joined in order into the one file per
// input that the remuxer reads.
//
// A recipe is "LAYOUT:VIDEO:AUDIO" with encoder names (either may be
// empty). Layouts: "ts" (HLS MPEG-TS fragments), "ts-wrap" (the same with
// timestamps that pass the 33-bit limit), "fmp4" (HLS fMP4 init section
// and segments), "webm" (one WebM file, as DASH's WebM pieces join), "dash"
// (an MPD with a segment template and timeline, picture and sound apart;
// the joined file is the picture's).
// Recipes joined with "+" are clips made apart, one after the other in
// one input, each with a clock of its own, as at a playlist's
// discontinuity.
class TestMedia
{
public:
    // Makes the recipe in sDir under the name sName; returns the joined
    // file, or an empty text with the reason in *pError.
    static QString Make(const QString &sDir, const QString &sName, const QString &sRecipe,
                        QString *pError);
    // Whether this machine's FFmpeg has an encoder of that name.
    static bool HasEncoder(const QString &sName);
};
