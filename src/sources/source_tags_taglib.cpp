// The edge to TagLib: what it reads becomes WideString here, and nothing of TagLib leaves
// this file.
#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/oggfile.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <climits>
#include <cstring>
#include <new>

#include "foundation/narrow_string.h"
#include "foundation/string_list.h"
#include "sources/cover_picture.h"
#include "sources/encoder_input.h"
#include "sources/source_file.h"
#include "sources/source_tags.h"

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

// The picture TagLib holds, as JudgePicture sees it.
PictureKind JudgeBytes(const TagLib::ByteVector& bytes) {
    return JudgePicture(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// Of an ID3v2 tag's APIC frames, the front covers first, then the others, each in the tag's
// order: the first that is a picture; empty when none is. (TagLib's bytes are shared, never
// copied, until one is taken.)
TagLib::ByteVector ChooseId3v2Picture(const TagLib::ID3v2::Tag* tag) {
    if (tag == nullptr) return TagLib::ByteVector();
    const TagLib::ID3v2::FrameList& frames = tag->frameList("APIC");
    for (const bool front : {true, false}) {
        for (const TagLib::ID3v2::Frame* frame : frames) {
            const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
            if (picture == nullptr ||
                (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) != front)
                continue;
            const TagLib::ByteVector bytes = picture->picture();
            if (JudgeBytes(bytes) != PictureKind::kNone) return bytes;
        }
    }
    return TagLib::ByteVector();
}

// FLAC's PICTURE blocks and an Ogg stream's METADATA_BLOCK_PICTURE comments, by the same rule.
TagLib::ByteVector ChooseFlacPicture(const TagLib::List<TagLib::FLAC::Picture*>& pictures) {
    for (const bool front : {true, false}) {
        for (const TagLib::FLAC::Picture* picture : pictures) {
            if ((picture->type() == TagLib::FLAC::Picture::FrontCover) != front) continue;
            const TagLib::ByteVector bytes = picture->data();
            if (JudgeBytes(bytes) != PictureKind::kNone) return bytes;
        }
    }
    return TagLib::ByteVector();
}

// An MP4's covr items carry no picture type: the first that is a picture.
TagLib::ByteVector ChooseCoverArt(const TagLib::MP4::Tag* tag) {
    if (tag == nullptr || !tag->contains("covr")) return TagLib::ByteVector();
    for (const TagLib::MP4::CoverArt& art : tag->item("covr").toCoverArtList()) {
        const TagLib::ByteVector bytes = art.data();
        if (JudgeBytes(bytes) != PictureKind::kNone) return bytes;
    }
    return TagLib::ByteVector();
}

// The file's cover picture, by its kind of file; empty when it carries none JudgePicture
// takes.
TagLib::ByteVector ChoosePicture(TagLib::File& file) {
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file))
        return mpeg->hasID3v2Tag() ? ChooseId3v2Picture(mpeg->ID3v2Tag()) : TagLib::ByteVector();
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file))
        return wav->hasID3v2Tag() ? ChooseId3v2Picture(wav->ID3v2Tag()) : TagLib::ByteVector();
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(&file))
        return aiff->hasID3v2Tag() ? ChooseId3v2Picture(aiff->tag()) : TagLib::ByteVector();
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(&file)) {
        const TagLib::ByteVector block = ChooseFlacPicture(flac->pictureList());
        if (!block.isEmpty() || !flac->hasXiphComment()) return block;
        // Some taggers put the picture into the Vorbis comment instead of a block of its own.
        return ChooseFlacPicture(flac->xiphComment()->pictureList());
    }
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file)) return ChooseCoverArt(mp4->tag());
    // Ogg Vorbis, Opus, Speex and Ogg FLAC: their tag is a Xiph comment.
    if (auto* xiph = dynamic_cast<TagLib::Ogg::XiphComment*>(file.tag()))
        return ChooseFlacPicture(xiph->pictureList());
    return TagLib::ByteVector();
}

void DescribeCover(const TagLib::ByteVector& bytes, TrackCover& cover) {
    cover = TrackCover();
    const PictureKind kind = JudgeBytes(bytes);
    if (kind == PictureKind::kNone) return;
    cover.source = CoverSource::kEmbedded;
    cover.kind = kind;
    cover.size = bytes.size();
    cover.hash = PictureHash(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// The audio's length in milliseconds where the library's kind of file agrees with what the
// judge found in its bytes (a FLAC named ".mp3" is parsed as MPEG by its name, and such a
// length would be made up); 0 otherwise. An MP3 without a Xing or VBRI header has its length
// estimated from its first frame's bitrate, which a VBR file may far undercut (a quiet first
// frame): it counts at its layer's highest bitrate, which no frame exceeds, so that the length
// given is never more than the audio holds.
uint32_t LengthOf(TagLib::File& file, EncoderInput input) {
    const TagLib::AudioProperties* properties = file.audioProperties();
    if (properties == nullptr || properties->lengthInMilliseconds() <= 0) return 0;
    const uint64_t length = static_cast<uint64_t>(properties->lengthInMilliseconds());
    switch (input) {
        case EncoderInput::kMpegAudio: {
            const auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file);
            if (mpeg == nullptr) return 0;
            const TagLib::MPEG::Properties* frames = mpeg->audioProperties();
            if (frames->xingHeader() != nullptr) return static_cast<uint32_t>(length);
            const int layer = frames->layer();
            const uint64_t highest = frames->version() == TagLib::MPEG::Header::Version1
                                         ? (layer == 1   ? 448
                                            : layer == 2 ? 384
                                                         : 320)
                                         : (layer == 1 ? 256 : 160);
            const uint64_t bitrate = static_cast<uint64_t>(frames->bitrate());
            return static_cast<uint32_t>(length * (bitrate < highest ? bitrate : highest) /
                                         highest);
        }
        case EncoderInput::kWave:
            return dynamic_cast<TagLib::RIFF::WAV::File*>(&file) ? static_cast<uint32_t>(length)
                                                                 : 0;
        case EncoderInput::kAiff:
            return dynamic_cast<TagLib::RIFF::AIFF::File*>(&file) ? static_cast<uint32_t>(length)
                                                                  : 0;
        case EncoderInput::kFlac:
            return dynamic_cast<TagLib::FLAC::File*>(&file) ? static_cast<uint32_t>(length) : 0;
        case EncoderInput::kOgg:
            return dynamic_cast<TagLib::Ogg::File*>(&file) ? static_cast<uint32_t>(length) : 0;
        default:
            return 0;
    }
}

void ClearTags(SourceTags& tags) {
    for (WideString& field : tags.fields) field.Clear();
    tags.input = EncoderInput::kUnknown;
    tags.milliseconds = 0;
    tags.cover = TrackCover();
}

// Where a stream's bytes come from: a dropped file, or a file image in memory.
struct ByteSource {
    uint64_t size;
    // Reads up to count bytes from the offset on; the number read.
    uint32_t (*read)(void* context, uint64_t offset, void* buffer, uint32_t count);
    void* context;
};

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

// TagLib reads through this stream: a dropped file opened by OpenSourceFile (for reading only
// and shared; TagLib's own stream would first open it for writing, shared with no writer), or
// an image in memory, both with a file's rules for seeks and reads.
class ReadOnlyStream final : public TagLib::IOStream {
  public:
    ReadOnlyStream(const ByteSource& source, TagLib::FileName name)
        : source_(source),
          name_(name),
          // TagLib counts in long, 32 bits on Windows: a larger file is read in its first 2 GiB.
          size_(source.size > LONG_MAX ? LONG_MAX : static_cast<long>(source.size)) {}

    TagLib::FileName name() const override { return name_; }
    TagLib::ByteVector readBlock(unsigned long length) override {
        // A tag that claims more than the file holds gets what is there, not a huge buffer.
        const long left = position_ < size_ ? size_ - position_ : 0;
        if (length > static_cast<unsigned long>(left)) length = static_cast<unsigned long>(left);
        if (length == 0) return TagLib::ByteVector();
        TagLib::ByteVector block(static_cast<unsigned int>(length));
        const uint32_t read = source_.read(source_.context, static_cast<uint64_t>(position_),
                                           block.data(), static_cast<uint32_t>(length));
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
    ByteSource source_;
    TagLib::FileName name_;
    long size_;
    long position_ = 0;
};

// Lets work read the file TagLib made of the source, if it could make one; false otherwise.
// TagLib takes the name's extension as a hint to the file's kind. properties: TagLib reads the
// audio's properties as well, in its fastest way.
template <class Work>
bool ReadWithTagLib(const ByteSource& source, const char16_t* name, bool properties, Work work) {
#ifdef _WIN32
    static_assert(sizeof(wchar_t) == 2);
    ReadOnlyStream stream(source, reinterpret_cast<const wchar_t*>(name));
#else
    const NarrowString narrow = WideString().AssignText(name).ToUtf8();
    ReadOnlyStream stream(source, narrow.Text());
#endif
    const TagLib::FileRef reference(&stream, properties, TagLib::AudioProperties::Fast);
    TagLib::File* file = reference.file();
    if (file == nullptr || !file->isValid()) return false;
    work(*file);
    return true;
}

// The tags, the cover and (of the kind the judge found) the length.
bool ReadFromSource(const ByteSource& source, const char16_t* name, SourceTags& tags) {
    const EncoderInput input = JudgeEncoderInput(source.size, source.read, source.context);
    try {
        const bool read = ReadWithTagLib(source, name, true, [&tags, input](TagLib::File& file) {
            CollectTags(file, tags);
            tags.milliseconds = LengthOf(file, input);
            DescribeCover(ChoosePicture(file), tags.cover);
        });
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
        ReadWithTagLib(source, name, false, [&picture](TagLib::File& file) {
            const TagLib::ByteVector bytes = ChoosePicture(file);
            // Chosen only when JudgePicture took it, so never more than kCoverMaxBytes.
            if (bytes.isEmpty()) return;
            picture.data.reset(new (std::nothrow) unsigned char[bytes.size()]);
            if (picture.data == nullptr) return;
            std::memcpy(picture.data.get(), bytes.data(), bytes.size());
            picture.size = bytes.size();
        });
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
