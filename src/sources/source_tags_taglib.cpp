// The edge to TagLib: what it reads becomes WideString here and in the other *_taglib.cpp
// files (sources/taglib_edge.h), and nothing of TagLib leaves them.
#include <taglib/tbytevector.h>
#include <taglib/tfile.h>

#include <cstring>
#include <new>

#include "sources/cover_picture.h"
#include "sources/encoder_input.h"
#include "sources/source_file.h"
#include "sources/source_tags.h"
#include "sources/taglib_edge.h"

namespace {

void ClearTags(SourceTags& tags) {
    for (WideString& field : tags.fields) field.Clear();
    tags.input = EncoderInput::kUnknown;
    tags.milliseconds = 0;
    tags.cover = TrackCover();
}

uint32_t ReadFromFile(void* context, uint64_t offset, void* buffer, uint32_t count) {
    return ReadSourceFile(*static_cast<SourceFile*>(context), offset, buffer, count);
}

struct MemoryImage {
    const unsigned char* data;
    uint64_t size;
};

uint32_t ReadFromMemory(void* context, uint64_t offset, void* buffer, uint32_t count) {
    const auto& image = *static_cast<const MemoryImage*>(context);
    if (offset >= image.size) return 0;
    if (count > image.size - offset) count = static_cast<uint32_t>(image.size - offset);
    if (count > 0) std::memcpy(buffer, image.data + offset, count);
    return count;
}

// A read of the tags: where they go, and the input the judge found for the length.
struct TagsRead {
    SourceTags& tags;
    EncoderInput input;
};

void ReadTagsOf(TagLib::File& file, void* context) {
    TagsRead& read = *static_cast<TagsRead*>(context);
    CollectTags(file, read.tags);
    read.tags.milliseconds = LengthOf(file, read.input);
    DescribeCover(ChoosePicture(file), read.tags.cover);
}

// The chosen picture's bytes, copied out of TagLib's.
void CopyPictureOf(TagLib::File& file, void* context) {
    PictureBytes& picture = *static_cast<PictureBytes*>(context);
    const TagLib::ByteVector bytes = ChoosePicture(file);
    // Chosen only when JudgePicture took it, so never more than kCoverMaxBytes.
    if (bytes.isEmpty()) return;
    picture.data.reset(new (std::nothrow) unsigned char[bytes.size()]);
    if (picture.data == nullptr) return;
    std::memcpy(picture.data.get(), bytes.data(), bytes.size());
    picture.size = bytes.size();
}

// The tags, the cover and (of the kind the judge found) the length.
bool ReadFromSource(const ByteSource& source, const char16_t* name, SourceTags& tags) {
    const EncoderInput input = JudgeEncoderInput(source.size, source.read, source.context);
    try {
        TagsRead context{tags, input};
        const bool read = ReadWithTagLib(source, name, true, ReadTagsOf, &context);
        tags.input = input;
        return read;
    } catch (...) {
        // Memory that ran out inside the library: the fields stay empty.
        ClearTags(tags);
        tags.input = input;
        return false;
    }
}

bool ReadPictureFromSource(const ByteSource& source, const char16_t* name, PictureBytes& picture) {
    picture = PictureBytes();
    try {
        ReadWithTagLib(source, name, false, CopyPictureOf, &picture);
    } catch (...) {
        picture = PictureBytes();
    }
    return picture.size > 0;
}

}  // namespace

bool ReadSourceTags(const char16_t* path, SourceTags& tags) {
    ClearTags(tags);
    if (path == nullptr || *path == u'\0') return false;
    SourceFile* file = OpenSourceFile(path);
    if (file == nullptr) return false;
    const ByteSource source{SourceFileSize(*file), ReadFromFile, file};
    const bool read = ReadFromSource(source, path, tags);
    CloseSourceFile(file);
    return read;
}

bool ReadSourceTagsFromMemory(const unsigned char* data, size_t size, const char16_t* name,
                              SourceTags& tags) {
    ClearTags(tags);
    MemoryImage image{data, size};
    const ByteSource source{size, ReadFromMemory, &image};
    return ReadFromSource(source, name != nullptr ? name : u"", tags);
}

bool ReadEmbeddedCover(const char16_t* path, PictureBytes& picture) {
    picture = PictureBytes();
    if (path == nullptr || *path == u'\0') return false;
    SourceFile* file = OpenSourceFile(path);
    if (file == nullptr) return false;
    const ByteSource source{SourceFileSize(*file), ReadFromFile, file};
    const bool read = ReadPictureFromSource(source, path, picture);
    CloseSourceFile(file);
    return read;
}

bool ReadEmbeddedCoverFromMemory(const unsigned char* data, size_t size, const char16_t* name,
                                 PictureBytes& picture) {
    MemoryImage image{data, size};
    const ByteSource source{size, ReadFromMemory, &image};
    return ReadPictureFromSource(source, name != nullptr ? name : u"", picture);
}
