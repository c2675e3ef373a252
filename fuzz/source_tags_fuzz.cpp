// Tags of a file that anyone may have written, read through TagLib (itself built with the
// fuzzer's coverage for this target): never a crash, a hang or a leak, and whatever comes back
// is a value the dialog and the encoder's command line can take: no control characters, no
// blanks at either end, no longer than the cap, a year of four digits where the text has them;
// a cover only where a picture the encoder takes is embedded, and then the same picture, byte
// for byte, when it is read again for the save.
// The first byte names the file's extension (TagLib picks most readers by it), the rest is the
// file; the reading runs on a thread with the tag reader's stack, so that a recursion the
// program's thread could not take fails here too. tools/fuzz runs it on inputs up to 1 MB with
// a memory limit.
#include <pthread.h>

#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "launcher_decoder.h"
#include "sources/source_tags.h"

namespace {

constexpr const char* kTarget = "source_tags";

// The names TagLib knows a reader by, and none (the content alone decides).
const char16_t* const kNames[] = {
    u"",       u"a.mp3", u"a.mp2", u"a.aac", u"a.ogg", u"a.oga", u"a.spx", u"a.opus", u"a.flac",
    u"a.mpc",  u"a.wv",  u"a.tta", u"a.m4a", u"a.m4b", u"a.mp4", u"a.wma", u"a.asf",  u"a.aif",
    u"a.aiff", u"a.wav", u"a.ape", u"a.mod", u"a.s3m", u"a.it",  u"a.xm",
};

struct Reading {
    const uint8_t* data;
    size_t size;
    const char16_t* name;
    SourceTags tags;
    bool read;
    PictureBytes picture;
    bool pictureRead;
};

void* Read(void* parameter) {
    auto& reading = *static_cast<Reading*>(parameter);
    reading.read = ReadSourceTagsFromMemory(reading.data, reading.size, reading.name, reading.tags);
    // The save reads a picture again only for a track that has one: the second read runs
    // where the first found one (it would halve the executions on every input).
    if (reading.tags.cover.source == CoverSource::kEmbedded)
        reading.pictureRead =
            ReadEmbeddedCoverFromMemory(reading.data, reading.size, reading.name, reading.picture);
    return nullptr;
}

void CheckCover(const Reading& reading) {
    const TrackCover& cover = reading.tags.cover;
    if (!reading.read)
        FUZZ_CHECK(kTarget, cover.source == CoverSource::kNone, "a cover from an unread file");
    FUZZ_CHECK(kTarget, cover.source != CoverSource::kFolder, "a folder's cover from memory");
    const bool embedded = cover.source == CoverSource::kEmbedded;
    if (!embedded) return;
    FUZZ_CHECK(kTarget, reading.pictureRead, "the second read finds no picture");
    const PictureBytes& picture = reading.picture;
    FUZZ_CHECK(kTarget, cover.size == picture.size && cover.size <= kCoverMaxBytes,
               "picture of " + std::to_string(picture.size) + " bytes described as " +
                   std::to_string(cover.size));
    FUZZ_CHECK(kTarget,
               JudgePicture(picture.data.get(), picture.size) == cover.kind &&
                   cover.kind != PictureKind::kNone,
               "the picture read again is judged otherwise");
    FUZZ_CHECK(kTarget, PictureHash(picture.data.get(), picture.size) == cover.hash,
               "the picture read again differs");
}

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

bool HasFourDigits(const std::u16string& text) {
    int run = 0;
    for (char16_t unit : text) {
        run = unit >= u'0' && unit <= u'9' ? run + 1 : 0;
        if (run == 4) return true;
    }
    return false;
}

void CheckValue(const std::u16string& value, int field) {
    const std::string where = "field " + std::to_string(field) + " '" + Printable(value) + "'";
    FUZZ_CHECK(kTarget, value.size() <= kSourceTagMaxLength, where);
    if (value.empty()) return;
    FUZZ_CHECK(kTarget, !IsBlank(value.front()) && !IsBlank(value.back()), where);
    for (char16_t unit : value) FUZZ_CHECK(kTarget, unit >= u' ', where);
    if (field == kYear && HasFourDigits(value)) FUZZ_CHECK(kTarget, value.size() == 4, where);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Reading reading{data + 1, size - 1, kNames[data[0] % std::size(kNames)], {}, false, {}, false};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kTagReadingStack);
    pthread_t thread;
    const int failed = pthread_create(&thread, &attributes, Read, &reading);
    pthread_attr_destroy(&attributes);
    FUZZ_CHECK(kTarget, failed == 0, "no reading thread: " + std::string(std::strerror(failed)));
    pthread_join(thread, nullptr);
    const SourceTags& tags = reading.tags;
    const bool read = reading.read;
    FUZZ_CHECK(kTarget, tags.fields[kPath].IsEmpty(), "a path from a tag");
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        const std::u16string value = Str(tags.fields[field]);
        if (!read) FUZZ_CHECK(kTarget, value.empty(), "a value from an unread file");
        CheckValue(value, field);
    }
    CheckCover(reading);
    return 0;
}
