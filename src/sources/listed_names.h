// Which files a dropped folder brings: judged first by the name's extension, and by the
// file's first bytes where the name says nothing.
#pragma once
#include <cstdint>

#include "sources/source_facts.h"

enum class ListedName : uint8_t {
    kAudio,     // a name that says audio: listed (one no bundled reader takes is named at save)
    kNotAudio,  // pictures, texts, playlists, launchers, videos: left out
    kAskContent,
};

// The judgement of a file's name (without its folder).
ListedName JudgeListedName(const char16_t* name, uint32_t length);
// Whether a file of that content is listed although its name says nothing.
bool IsListedContent(EncoderInput input);
// Whether a folder of that name is left out: the cover folder the program writes beside its
// launchers (its pictures are no music).
bool IsLeftOutFolder(const char16_t* name, uint32_t length);
