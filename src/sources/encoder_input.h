// What a dropped file holds for the bundled encoder, judged from its first bytes (not its
// name): MPEG audio (frames in a row, after an ID3v2 tag), WAVE or RF64, AIFF, FLAC, and Ogg
// Vorbis, Opus or FLAC, each of one or two channels, are read by lame.exe (LAME's own MP3
// decoder, libsndfile for the rest); M4A/AAC, WMA, APE, WavPack, Musepack, more channels and
// anything else are unreadable.
#pragma once
#include <cstdint>

#include "sources/source_facts.h"

// Reads up to count bytes from the offset on; the number read.
using ReadBytesAt = uint32_t (*)(void* context, uint64_t offset, void* buffer, uint32_t count);

EncoderInput JudgeEncoderInput(uint64_t size, ReadBytesAt read, void* context);
