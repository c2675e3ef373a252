// The page's data that a callRun line gives after the track command: the source's length in
// seconds and what the encoder decodes the source from, for the page's report.
#pragma once
#include <cstdint>

// Milliseconds as seconds with three decimals ("6.021"), "0" where the length is unknown:
// the text is units[from] up to the end of units.
struct SecondsText {
    static constexpr uint32_t kSize = 24;
    char16_t units[kSize];
    uint32_t from;
};
SecondsText SecondsOf(uint32_t milliseconds);

// "FLAC", "Opus" or "Ogg" where the encoder decodes the source into an MP3 (the output ends
// in ".mp3", the run is not a decoding one), told by the source's extension: an Ogg file
// (.ogg, .oga) may hold Vorbis, Opus or FLAC, so it is named by its container. "" for any
// other source (WAV, AIFF, MP3). outputEnd: the output, or at least its last four units.
const char16_t* DecodedFrom(const char16_t* source, uint32_t sourceLength,
                            const char16_t* outputEnd, uint32_t outputEndLength, bool decode);
