// The tags a dropped file carries, as the program's seven values, and the rules that make
// the library's text into those values. The library itself is met only in
// the *_taglib.cpp files.
#pragma once
#include <cstddef>
#include <cstdint>
#include "sources/source_facts.h"

// Longest value taken from a file, in UTF-16 units. A value beyond it could not travel in
// the encoder's command line anyway; a huge tag must not make the dialog crawl.
constexpr uint32_t kSourceTagMaxLength = 2048;

struct SourceTags {
    WideString fields[kFieldCount];               // indexed by TrackField; kPath stays empty
    EncoderInput input = EncoderInput::kUnknown;  // judged from the file's first bytes
    // The audio's length by the library's reading of the file (never more than the audio
    // holds, as far as the file tells), in milliseconds; 0 when unknown.
    uint32_t milliseconds = 0;
    // The picture the file carries, or (filled in by the tag reader on Windows) its folder's.
    TrackCover cover;
};

// Appends one entry of a value: control characters become blanks (a line break would split
// the encoder's command line), blanks and tabs are trimmed as for typed values, an empty
// entry is skipped, and a further entry is joined with "; ".
void AddTagEntry(WideString& value, const char16_t* text, uint32_t length);

// The year of a date: its first four consecutive digits ("2001-05-01" gives "2001"); a text
// without four digits in a row stays as it is.
void KeepYearOfDate(WideString& value);

// The genre number of "17" or "(17)" (blanks around allowed), or -1 for any other text.
int GenreNumberOf(const WideString& value);

// The stack a thread that reads tags is given (reserved, committed as it is used). TagLib's
// nesting is bounded by our patch: files nested to the bounds read in 32 KB of stack
// (measured natively), so twice a Windows thread's default leaves a wide margin.
constexpr size_t kTagReadingStack = 2 * 1024 * 1024;

// Reads the tags of a file (a UTF-16 name) or of a file image in memory, whose name (may be
// null) tells its kind by its extension as a file's does, and in the same pass its embedded
// picture: of an ID3v2 tag (MPEG, WAV, AIFF) the APIC frames of the type front cover, then the
// others; FLAC's PICTURE blocks and Ogg's Xiph comment pictures likewise; an MP4's covr items
// in their order; the first that JudgePicture takes. False, with every field empty and no
// cover, when nothing could be read: no such file, no audio format the library knows, or a
// file it cannot parse.
bool ReadSourceTags(const char16_t* path, SourceTags& tags);
bool ReadSourceTagsFromMemory(const unsigned char* data, size_t size, const char16_t* name,
                              SourceTags& tags);

// The picture ReadSourceTags chose, read again for the save that writes it to a file; false
// (picture empty) when the file has none or it is no longer one JudgePicture takes.
bool ReadEmbeddedCover(const char16_t* path, PictureBytes& picture);
bool ReadEmbeddedCoverFromMemory(const unsigned char* data, size_t size, const char16_t* name,
                                 PictureBytes& picture);
