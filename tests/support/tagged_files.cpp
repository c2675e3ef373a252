#include "support/tagged_files.h"

#include <fstream>

#include <zlib.h>

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggpage.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

namespace {

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string LittleEndian(uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) text.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return text;
}

std::string BigEndian(uint32_t value, int bytes) {
    std::string text;
    for (int i = bytes; i-- > 0;) text.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return text;
}

}  // namespace

TagLib::String FromUtf16(const std::u16string& text) {
    TagLib::ByteVector bytes;
    for (char16_t unit : text) {
        bytes.append(static_cast<char>(unit & 0xFF));
        bytes.append(static_cast<char>(unit >> 8));
    }
    return TagLib::String(bytes, TagLib::String::UTF16LE);
}

void WriteMp3Body(const std::filesystem::path& path) {
    // MPEG-1 layer III, 128 kbit/s, 44.1 kHz: frames of 417 bytes.
    std::string frame("\xFF\xFB\x90\x64", 4);
    frame.resize(417, '\0');
    WriteBytes(path, frame + frame + frame + frame);
}

void WriteWavBody(const std::filesystem::path& path) {
    const std::string format = "fmt " + LittleEndian(16, 4) + LittleEndian(1, 2) +
                               LittleEndian(2, 2) + LittleEndian(44100, 4) +
                               LittleEndian(176400, 4) + LittleEndian(4, 2) + LittleEndian(16, 2);
    const std::string data = "data" + LittleEndian(8, 4) + std::string(8, '\0');
    const std::string body = "WAVE" + format + data;
    WriteBytes(path, "RIFF" + LittleEndian(static_cast<uint32_t>(body.size()), 4) + body);
}

void WriteAiffBody(const std::filesystem::path& path) {
    // COMM: 2 channels, 2 frames, 16 bits, 44.1 kHz as an 80-bit extended number.
    const std::string rate("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10);
    const std::string common =
        "COMM" + BigEndian(18, 4) + BigEndian(2, 2) + BigEndian(2, 4) + BigEndian(16, 2) + rate;
    const std::string sound = "SSND" + BigEndian(16, 4) + std::string(16, '\0');
    const std::string body = "AIFF" + common + sound;
    WriteBytes(path, "FORM" + BigEndian(static_cast<uint32_t>(body.size()), 4) + body);
}

void WriteFlacBody(const std::filesystem::path& path) {
    // STREAMINFO (the last metadata block): 4096-sample blocks, 44.1 kHz, stereo, 16 bits.
    std::string info = BigEndian(4096, 2) + BigEndian(4096, 2) + BigEndian(0, 3) + BigEndian(0, 3) +
                       std::string("\x0A\xC4\x42\xF0\0\0\0\0", 8) + std::string(16, '\0');
    const std::string block = std::string("\x80", 1) + BigEndian(34, 3) + info;
    WriteBytes(path,
               "fLaC" + block + std::string("\xFF\xF8\x69\x08\0\0", 6) + std::string(32, '\0'));
}

void WriteM4aBody(const std::filesystem::path& path) {
    const std::string type = "ftypM4A " + BigEndian(0, 4) + "M4A isom";
    // Version 0: times, a time scale of 44100, no duration, rate 1.0, volume 1.0, a unit matrix.
    const std::string matrix = BigEndian(0x10000, 4) + std::string(12, '\0') +
                               BigEndian(0x10000, 4) + std::string(12, '\0') +
                               BigEndian(0x40000000, 4);
    const std::string header = "mvhd" + BigEndian(0, 4) + BigEndian(0, 4) + BigEndian(0, 4) +
                               BigEndian(44100, 4) + BigEndian(0, 4) + BigEndian(0x10000, 4) +
                               BigEndian(0x100, 2) + std::string(10, '\0') + matrix +
                               std::string(24, '\0') + BigEndian(2, 4);
    const std::string movie = "moov" + BigEndian(uint32_t(header.size() + 4), 4) + header;
    WriteBytes(path, BigEndian(uint32_t(type.size() + 4), 4) + type +
                         BigEndian(uint32_t(movie.size() + 4), 4) + movie);
}

void WriteOggVorbis(const std::filesystem::path& path, const std::vector<std::string>& comments) {
    const std::string identification = std::string("\x01vorbis", 7) + LittleEndian(0, 4) +
                                       std::string(1, '\x02') + LittleEndian(44100, 4) +
                                       LittleEndian(0, 4) + LittleEndian(128000, 4) +
                                       LittleEndian(0, 4) + std::string("\xB8\x01", 2);
    std::string comment = std::string("\x03vorbis", 7) + LittleEndian(4, 4) + "test" +
                          LittleEndian(static_cast<uint32_t>(comments.size()), 4);
    for (const std::string& entry : comments)
        comment += LittleEndian(static_cast<uint32_t>(entry.size()), 4) + entry;
    comment += '\x01';
    const std::string setup = std::string("\x05vorbis", 7) + std::string(8, '\0');
    std::string bytes;
    const std::string packets[] = {identification, comment, setup};
    int page = 0;
    for (const std::string& packet : packets) {
        TagLib::ByteVectorList list;
        list.append(TagLib::ByteVector(packet.data(), static_cast<unsigned>(packet.size())));
        const TagLib::List<TagLib::Ogg::Page*> pages = TagLib::Ogg::Page::paginate(
            list, TagLib::Ogg::Page::SinglePagePerGroup, 0x1234, page++);
        for (TagLib::Ogg::Page* rendered : pages) {
            const TagLib::ByteVector data = rendered->render();
            bytes.append(data.data(), data.size());
            delete rendered;
        }
    }
    WriteBytes(path, bytes);
}

bool WriteProperties(const std::filesystem::path& path, const std::vector<TagEntry>& entries) {
    TagLib::FileRef file(path.c_str(), false);
    if (file.isNull()) return false;
    TagLib::PropertyMap map;
    for (const TagEntry& entry : entries) {
        TagLib::StringList values;
        for (const std::u16string& value : entry.values) values.append(FromUtf16(value));
        map.insert(entry.key, values);
    }
    file.file()->setProperties(map);
    return file.save();
}

namespace {

// Filler below 0x80: never a JPEG marker, never a zero byte.
std::string Filler(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(1 + (seed + i * 7) % 0x7F);
    return bytes;
}

TagLib::ByteVector Bytes(const std::string& bytes) {
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size()));
}

const char* MimeTypeOf(const std::string& bytes) {
    if (bytes.compare(0, 4, "\x89PNG") == 0) return "image/png";
    if (bytes.compare(0, 3, "GIF") == 0) return "image/gif";
    return "image/jpeg";
}

bool HasExtension(const std::filesystem::path& path, const char* extension) {
    return path.extension() == extension;
}

}  // namespace

std::string MakeJpeg(size_t size, char seed) {
    const std::string start("\xFF\xD8\xFF\xE0", 4);
    return start + Filler(size - start.size() - 2, seed) + "\xFF\xD9";
}

std::string MakePng(size_t size, char seed) {
    const std::string start = std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + BigEndian(1, 4) +
                              BigEndian(1, 4) + std::string("\x08\x02\0\0\0", 5) +
                              BigEndian(0x907753DE, 4);
    const std::string end("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    return start + Filler(size - start.size() - end.size(), seed) + end;
}

std::string MakeGif(size_t size, char seed) {
    const std::string start = std::string("GIF89a", 6) + LittleEndian(1, 2) + LittleEndian(1, 2) +
                              std::string("\0\0\0", 3);
    return start + Filler(size - start.size() - 1, seed) + ";";
}

bool AddPictures(const std::filesystem::path& path, const std::vector<TestPicture>& pictures) {
    auto addFrames = [&pictures](TagLib::ID3v2::Tag* tag) {
        for (const TestPicture& picture : pictures) {
            auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
            frame->setType(static_cast<TagLib::ID3v2::AttachedPictureFrame::Type>(picture.type));
            frame->setMimeType(MimeTypeOf(picture.bytes));
            frame->setPicture(Bytes(picture.bytes));
            tag->addFrame(frame);
        }
    };
    auto makeFlacPicture = [](const TestPicture& picture) {
        auto* made = new TagLib::FLAC::Picture;
        made->setType(static_cast<TagLib::FLAC::Picture::Type>(picture.type));
        made->setMimeType(MimeTypeOf(picture.bytes));
        made->setData(Bytes(picture.bytes));
        return made;
    };
    if (HasExtension(path, ".mp3")) {
        TagLib::MPEG::File file(path.c_str(), false);
        addFrames(file.ID3v2Tag(true));
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4);
    }
    if (HasExtension(path, ".wav")) {
        TagLib::RIFF::WAV::File file(path.c_str(), false);
        addFrames(file.ID3v2Tag());
        return file.save();
    }
    if (HasExtension(path, ".aiff")) {
        TagLib::RIFF::AIFF::File file(path.c_str(), false);
        addFrames(file.tag());
        return file.save();
    }
    if (HasExtension(path, ".flac")) {
        TagLib::FLAC::File file(path.c_str(), false);
        for (const TestPicture& picture : pictures) file.addPicture(makeFlacPicture(picture));
        return file.save();
    }
    if (HasExtension(path, ".ogg")) {
        TagLib::Ogg::Vorbis::File file(path.c_str(), false);
        for (const TestPicture& picture : pictures)
            file.tag()->addPicture(makeFlacPicture(picture));
        return file.save();
    }
    if (HasExtension(path, ".m4a")) {
        TagLib::MP4::File file(path.c_str(), false);
        TagLib::MP4::CoverArtList list;
        for (const TestPicture& picture : pictures) {
            const char* mime = MimeTypeOf(picture.bytes);
            const auto format = mime[6] == 'p'   ? TagLib::MP4::CoverArt::PNG
                                : mime[6] == 'g' ? TagLib::MP4::CoverArt::GIF
                                                 : TagLib::MP4::CoverArt::JPEG;
            list.append(TagLib::MP4::CoverArt(format, Bytes(picture.bytes)));
        }
        file.tag()->setItem("covr", list);
        return file.save();
    }
    return false;
}

bool WriteTaggedMp3(const std::filesystem::path& path, const std::u16string& title,
                    const std::u16string& artist, const std::u16string& album,
                    const std::u16string& track) {
    WriteMp3Body(path);
    return WriteProperties(path, {{"TITLE", {title}},
                                  {"ARTIST", {artist}},
                                  {"ALBUM", {album}},
                                  {"TRACKNUMBER", {track}},
                                  {"DATE", {u"1997"}},
                                  {"GENRE", {u"Rock"}},
                                  {"COMMENT", {u"ripped"}}});
}

namespace {

std::string SyncSafe(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 7) bytes[static_cast<size_t>(i)] = char(value & 0x7F);
    return bytes;
}

std::string Id3v24Frame(const char* id, const std::string& data, char formatFlags = 0) {
    return std::string(id, 4) + SyncSafe(static_cast<uint32_t>(data.size())) + '\0' + formatFlags +
           data;
}

std::string Id3v24Mp3(const std::string& frames) {
    std::string frame("\xFF\xFB\x90\x64", 4);
    frame.resize(417, '\0');
    return std::string("ID3\x04\0\0", 6) + SyncSafe(static_cast<uint32_t>(frames.size())) + frames +
           frame + frame;
}

std::string Latin1Text(const char* text) {
    return std::string(1, '\0') + text;
}

// A zlib stream of the given number of zero bytes, made of one compressed MiB repeated: a
// block that ends in a full flush is byte-aligned and needs only the zeros before it.
std::string ZeroBomb(uint32_t mebibytes) {
    const std::string zeros(1 << 20, '\0');
    z_stream stream = {};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string block(deflateBound(&stream, zeros.size()) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    stream.avail_in = static_cast<uInt>(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(&block[0]);
    stream.avail_out = static_cast<uInt>(block.size());
    deflate(&stream, Z_FULL_FLUSH);
    block.resize(block.size() - stream.avail_out);
    deflateEnd(&stream);
    std::string bomb("\x78\xDA", 2);
    for (uint32_t i = 0; i < mebibytes; ++i) bomb += block;
    bomb += std::string("\x03\0", 2);  // a last, empty block
    // Adler-32 of zeros: the sum of bytes stays 1, the sum of sums is the count.
    const uint32_t count = static_cast<uint32_t>((uint64_t(mebibytes) << 20) % 65521);
    return bomb + BigEndian((count << 16) | 1, 4);
}

std::string Atom(const char* name, uint32_t size) {
    return BigEndian(size, 4) + std::string(name, 4);
}

}  // namespace

std::vector<CraftedFile> MakeCraftedFiles() {
    std::vector<CraftedFile> files;
    const std::string type = Atom("ftyp", 20) + "M4A " + BigEndian(0, 4) + "M4A ";

    std::string nested = type;
    const uint32_t levels = 400 * 1024 / 8;
    for (uint32_t level = 0; level < levels; ++level) nested += Atom("moov", (levels - level) * 8);
    files.push_back({"moov atoms nested 51,200 deep", u"verschachtelt.m4a", nested, u""});

    // Each chapter: its element id, four times, and the next chapter inside it.
    const uint32_t depth = 100000;
    const std::string fields = std::string("c\0", 2) + std::string(16, '\0');
    std::string chapter;
    for (uint32_t level = 0; level < depth; ++level) {
        const uint32_t size = 18 + 28 * (depth - 1 - level);
        chapter += std::string("CHAP", 4) + SyncSafe(size) + std::string(2, '\0') + fields;
    }
    files.push_back({"CHAP frames nested 100,000 deep", u"kapitel.mp3",
                     Id3v24Mp3(Id3v24Frame("TIT2", Latin1Text("Kapitel")) + chapter), u"Kapitel"});

    // Compressed, with a data length indicator (the frame's format flags 0x08 and 0x01).
    const std::string bomb = SyncSafe(0x0FFFFFFF) + ZeroBomb(1024);
    files.push_back({"a frame compressed from 1 GiB", u"bombe.mp3",
                     Id3v24Mp3(Id3v24Frame("TIT2", Latin1Text("Nach der Bombe")) +
                               Id3v24Frame("TIT3", bomb, '\x09')),
                     u"Nach der Bombe"});

    std::string frames = Id3v24Frame("TIT2", Latin1Text("Viele"));
    for (int i = 0; i < 100000; ++i) frames += Id3v24Frame("TXXX", std::string("\0x\0y", 4));
    files.push_back({"an ID3v2 tag of 100,000 frames", u"viele.mp3", Id3v24Mp3(frames), u"Viele"});

    const uint32_t atoms = 400000;
    std::string movie = type + Atom("moov", 8 + atoms * 8);
    for (uint32_t i = 0; i < atoms; ++i) movie += Atom("free", 8);
    files.push_back({"a movie of 400,000 atoms", u"atome.m4a", movie, u""});
    return files;
}
