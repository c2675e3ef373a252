// The pieces of the edge to TagLib, shared by the *_taglib.cpp files only: TagLib's types are
// named here, never included, so that no other file meets the library.
#pragma once
#include <cstdint>

#include "sources/source_tags.h"

namespace TagLib {
class ByteVector;
class File;
}  // namespace TagLib

// Where a stream's bytes come from: a dropped file, or a file image in memory.
struct ByteSource {
    uint64_t size;
    // Reads up to count bytes from the offset on; the number read.
    uint32_t (*read)(void* context, uint64_t offset, void* buffer, uint32_t count);
    void* context;
};

// Lets work read the file TagLib made of the source, if it could make one; false otherwise.
// TagLib takes the name's extension as a hint to the file's kind. properties: TagLib reads the
// audio's properties as well, in its fastest way.
bool ReadWithTagLib(const ByteSource& source, const char16_t* name, bool properties,
                    void (*work)(TagLib::File& file, void* context), void* context);

// The file's tag values field by field, from its main tag and, where that lacks a field, from
// a further tag as TagLib merges them.
void CollectTags(const TagLib::File& file, SourceTags& tags);

// The file's cover picture, by its kind of file; empty when it carries none JudgePicture
// takes.
TagLib::ByteVector ChoosePicture(TagLib::File& file);
// The cover the picture's bytes make (none when JudgePicture does not take them).
void DescribeCover(const TagLib::ByteVector& bytes, TrackCover& cover);

// The audio's length in milliseconds where the library's kind of file agrees with the input
// the judge found in its bytes; 0 otherwise.
uint32_t LengthOf(TagLib::File& file, EncoderInput input);
