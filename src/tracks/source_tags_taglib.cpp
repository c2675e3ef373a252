// The edge to TagLib: what it reads becomes WideString here, and nothing of TagLib leaves
// this file.
#include <taglib/fileref.h>
#include <taglib/id3v1genres.h>
#include <taglib/tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tpropertymap.h>

#include <climits>

#include "foundation/narrow_string.h"
#include "foundation/string_list.h"
#include "tracks/source_file.h"
#include "tracks/source_tags.h"

namespace {

// TagLib's text as UTF-16 on every platform (wchar_t is 32 bits wide outside Windows).
void AddEntry(WideString& value, const TagLib::String& text) {
    if (text.isEmpty()) return;
    const TagLib::ByteVector bytes = text.data(TagLib::String::UTF16LE);
    uint32_t units = static_cast<uint32_t>(bytes.size() / 2);
    if (units > kSourceTagMaxLength) units = kSourceTagMaxLength;
    WideString entry;
    if (!entry.PrepareBuffer(units)) return;
    char16_t* buffer = entry.Buffer();
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
    for (uint32_t i = 0; i < units; ++i) {
        buffer[i] = static_cast<char16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    }
    AddTagEntry(value, buffer, units);
}

void AddNumber(WideString& value, unsigned int number) {
    if (number != 0) AddEntry(value, TagLib::String::number(static_cast<int>(number)));
}

// Every entry of a key, or only its first.
bool TakeProperty(const TagLib::PropertyMap& properties, const char* key, WideString& value,
                  bool firstOnly) {
    const auto found = properties.find(key);
    if (found == properties.end()) return false;
    for (const TagLib::String& entry : found->second) {
        AddEntry(value, entry);
        if (firstOnly && !value.IsEmpty()) break;
    }
    return !value.IsEmpty();
}

bool HasDescribedComment(const TagLib::PropertyMap& properties) {
    for (const auto& entry : properties) {
        if (entry.first.startsWith("COMMENT:")) return true;
    }
    return false;
}

void NameGenres(WideString& value) {
    if (value.IsEmpty()) return;
    // Each entry of a joined value may be a number of its own.
    StringList entries;
    entries.Split(value.Text(), u"; ");
    WideString named;
    for (uint32_t i = 0; i < entries.Count(); ++i) {
        const WideString& entry = *entries.GetAt(i);
        const int number = GenreNumberOf(entry);
        const TagLib::String name = number >= 0 ? TagLib::ID3v1::genre(number) : TagLib::String();
        if (!name.isEmpty()) {
            AddEntry(named, name);
        } else {
            AddTagEntry(named, entry.Text(), entry.Length());
        }
    }
    value = named;
}

// The file's tag values field by field. The property map holds every entry of the file's
// main tag; where it lacks a field, TagLib's merged tag supplies it from a further tag (an
// ID3v1 behind an ID3v2, a WAV file's INFO chunk), as TagLib merges them.
void CollectTags(const TagLib::File& file, SourceTags& tags) {
    const TagLib::PropertyMap properties = file.properties();
    const TagLib::Tag* tag = file.tag();
    WideString* fields = tags.fields;
    if (!TakeProperty(properties, "TITLE", fields[kTitle], false) && tag)
        AddEntry(fields[kTitle], tag->title());
    if (!TakeProperty(properties, "ARTIST", fields[kArtist], false) && tag)
        AddEntry(fields[kArtist], tag->artist());
    if (!TakeProperty(properties, "ALBUM", fields[kAlbum], false) && tag)
        AddEntry(fields[kAlbum], tag->album());
    // Only a comment without a description: TagLib's merged comment falls back to a
    // described one ("iTunNORM" and the like).
    if (!TakeProperty(properties, "COMMENT", fields[kComment], true) && tag &&
        !HasDescribedComment(properties))
        AddEntry(fields[kComment], tag->comment());
    if (!TakeProperty(properties, "DATE", fields[kYear], true) && tag)
        AddNumber(fields[kYear], tag->year());
    KeepYearOfDate(fields[kYear]);
    if (!TakeProperty(properties, "TRACKNUMBER", fields[kTrackNumber], true) && tag)
        AddNumber(fields[kTrackNumber], tag->track());
    if (!TakeProperty(properties, "GENRE", fields[kGenre], false) && tag)
        AddEntry(fields[kGenre], tag->genre());
    NameGenres(fields[kGenre]);
}

bool CollectFromReference(const TagLib::FileRef& reference, SourceTags& tags) {
    const TagLib::File* file = reference.file();
    if (file == nullptr || !file->isValid()) return false;
    CollectTags(*file, tags);
    return true;
}

// A dropped file as TagLib reads it: opened by OpenSourceFile (for reading only and shared;
// TagLib's own stream would first open it for writing, shared with no writer).
class SourceFileStream final : public TagLib::IOStream {
  public:
    SourceFileStream(SourceFile& file, TagLib::FileName name)
        : file_(file),
          name_(name),
          // TagLib counts in long, 32 bits on Windows: a larger file is read in its first 2 GiB.
          size_(SourceFileSize(file) > LONG_MAX ? LONG_MAX
                                                : static_cast<long>(SourceFileSize(file))) {}

    TagLib::FileName name() const override { return name_; }
    TagLib::ByteVector readBlock(unsigned long length) override {
        // A tag that claims more than the file holds gets what is there, not a huge buffer.
        const long left = position_ < size_ ? size_ - position_ : 0;
        if (length > static_cast<unsigned long>(left)) length = static_cast<unsigned long>(left);
        if (length == 0) return TagLib::ByteVector();
        TagLib::ByteVector block(static_cast<unsigned int>(length));
        const uint32_t read = ReadSourceFile(file_, static_cast<uint64_t>(position_), block.data(),
                                             static_cast<uint32_t>(length));
        block.resize(read);
        position_ += static_cast<long>(read);
        return block;
    }
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return true; }
    void seek(long offset, Position from) override {
        const long long base = from == Beginning ? 0 : from == Current ? position_ : size_;
        const long long target = base + offset;
        // As a file does: no position before the start; past the end reads nothing.
        if (target >= 0 && target <= LONG_MAX) position_ = static_cast<long>(target);
    }
    long tell() const override { return position_; }
    long length() override { return size_; }
    void truncate(long) override {}

  private:
    SourceFile& file_;
    TagLib::FileName name_;
    long size_;
    long position_ = 0;
};

void ClearTags(SourceTags& tags) {
    for (WideString& field : tags.fields) field.Clear();
}

}  // namespace

bool ReadSourceTags(const char16_t* path, SourceTags& tags) {
    ClearTags(tags);
    if (path == nullptr || *path == u'\0') return false;
    SourceFile* file = OpenSourceFile(path);
    if (file == nullptr) return false;
    bool read = false;
    try {
#ifdef _WIN32
        static_assert(sizeof(wchar_t) == 2);
        SourceFileStream stream(*file, reinterpret_cast<const wchar_t*>(path));
#else
        const NarrowString name = WideString().AssignText(path).ToUtf8();
        SourceFileStream stream(*file, name.Text());
#endif
        const TagLib::FileRef reference(&stream, false);
        read = CollectFromReference(reference, tags);
    } catch (...) {
        // Memory that ran out inside the library: the fields stay empty.
        ClearTags(tags);
        read = false;
    }
    CloseSourceFile(file);
    return read;
}

bool ReadSourceTagsFromMemory(const unsigned char* data, size_t size, SourceTags& tags) {
    ClearTags(tags);
    try {
        TagLib::ByteVectorStream stream(
            TagLib::ByteVector(reinterpret_cast<const char*>(data), static_cast<unsigned>(size)));
        const TagLib::FileRef reference(&stream, false);
        return CollectFromReference(reference, tags);
    } catch (...) {
        ClearTags(tags);
        return false;
    }
}
