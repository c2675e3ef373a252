// Tags read from dropped files: each format and kind of tag, written by TagLib into files the
// test makes, read back as the seven values; and the rules for years, genres and entries.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <chrono>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>

#include <future>
#else
#include <pthread.h>
#endif

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/apetag.h>
#include <taglib/wavfile.h>

#include "foundation/narrow_string.h"
#include "support/heap_watch.h"
#include "support/tagged_files.h"
#include "support/wide_text.h"
#include "sources/source_tags.h"
#include "tracks/tag_rules.h"

namespace {

namespace fs = std::filesystem;

struct Expected {
    std::u16string artist, album, title, comment, year, track, genre;
};

std::u16string Text(const WideString& value) {
    return std::u16string(value.Text());
}

void AddText(TagLib::ID3v2::Tag* tag, const char* id, TagLib::String::Type encoding,
             const TagLib::StringList& values) {
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, encoding);
    frame->setText(values);
    tag->addFrame(frame);
}

void AddComment(TagLib::ID3v2::Tag* tag, const char* description, const char* text) {
    auto* frame = new TagLib::ID3v2::CommentsFrame(TagLib::String::Latin1);
    frame->setDescription(description);
    frame->setText(text);
    tag->addFrame(frame);
}

// An MP3 with an ID3v2 tag of the given version whose text frames use one encoding.
void WriteId3v2(const fs::path& path, int version, TagLib::String::Type encoding) {
    WriteMp3Body(path);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    AddText(tag, "TPE1", encoding, FromUtf16(u"坂本龍一"));
    AddText(tag, "TALB", encoding, FromUtf16(u"Merry Christmas Mr. Lawrence"));
    AddText(tag, "TIT2", encoding, FromUtf16(u"Før ½ Ωmega"));
    AddText(tag, version == 3 ? "TYER" : "TDRC", encoding, TagLib::String("1983"));
    AddText(tag, "TRCK", encoding, TagLib::String("1/19"));
    AddText(tag, "TCON", encoding, TagLib::String("(24)"));
    AddComment(tag, "", "from the tape");
    file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers,
              version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
}

std::string SyncSafe(uint32_t size) {
    std::string bytes(4, '\0');
    for (int i = 3; i >= 0; --i) {
        bytes[static_cast<size_t>(i)] = static_cast<char>(size & 0x7F);
        size >>= 7;
    }
    return bytes;
}

// ID3v2.2, which TagLib reads but no longer writes: three-letter frames, made by hand.
void WriteId3v22(const fs::path& path) {
    auto frame = [](const char* id, const std::string& data) {
        const auto size = static_cast<uint32_t>(data.size());
        return std::string(id, 3) + static_cast<char>(size >> 16) +
               static_cast<char>((size >> 8) & 0xFF) + static_cast<char>(size & 0xFF) + data;
    };
    const std::string utf16Artist(
        "\x01\xFF\xFE"
        "B\0j\0\xF6\0r\0k\0",
        13);
    const std::string frames = frame("TT2", std::string("\0Joga", 5)) + frame("TP1", utf16Artist) +
                               frame("TAL", std::string("\0Homogenic", 10)) +
                               frame("TYE", std::string("\0"
                                                        "1997",
                                                        5)) +
                               frame("TRK", std::string("\0"
                                                        "2",
                                                        2)) +
                               frame("TCO", std::string("\0(13)", 5));
    WriteMp3Body(path);
    std::ifstream in(path, std::ios::binary);
    const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << std::string("ID3\x02\0\0", 6) << SyncSafe(static_cast<uint32_t>(frames.size())) << frames
        << body;
}

void WriteId3v1(const fs::path& path, bool withId3v2) {
    WriteMp3Body(path);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v1::Tag* v1 = file.ID3v1Tag(true);
    v1->setTitle("Short Title");
    v1->setArtist("Kraftwerk");
    v1->setAlbum("Computerwelt");
    v1->setComment("v1 comment");
    v1->setYear(1981);
    v1->setTrack(4);
    v1->setGenre("Electronic");
    int tags = TagLib::MPEG::File::ID3v1;
    if (withId3v2) {
        TagLib::ID3v2::Tag* v2 = file.ID3v2Tag(true);
        AddText(v2, "TIT2", TagLib::String::UTF8,
                TagLib::String("Computerliebe (a title longer than thirty)"));
        AddText(v2, "TPE1", TagLib::String::UTF8, TagLib::String("Kraftwerk"));
        tags |= TagLib::MPEG::File::ID3v2;
    }
    file.save(tags, TagLib::File::StripOthers, TagLib::ID3v2::v4);
}

void WriteApe(const fs::path& path) {
    WriteMp3Body(path);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::APE::Tag* tag = file.APETag(true);
    tag->addValue("Title", FromUtf16(u"Ápé"));
    tag->addValue("Artist", "One");
    tag->addValue("Artist", "Two", false);
    tag->addValue("Album", "Vier");
    tag->addValue("Year", "2001-05-01");
    tag->addValue("Track", "5/9");
    tag->addValue("Genre", "Jazz");
    tag->addValue("Comment", "ape comment");
    file.save(TagLib::MPEG::File::APE, TagLib::File::StripOthers);
}

// Several entries, comments with and without a description, blanks and a line break.
void WriteEntriesAndComments(const fs::path& path) {
    WriteMp3Body(path);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    TagLib::StringList artists;
    artists.append("  Simon ");
    artists.append("Garfunkel\t");
    AddText(tag, "TPE1", TagLib::String::UTF8, artists);
    AddText(tag, "TIT2", TagLib::String::UTF8, TagLib::String("Line\r\nbreak"));
    AddText(tag, "TDRC", TagLib::String::UTF8, TagLib::String("2001-05-01T10:00"));
    AddText(tag, "TCON", TagLib::String::UTF8, TagLib::String("17"));
    AddComment(tag, "iTunNORM", " 000001 ");
    AddComment(tag, "", "  the plain one  ");
    AddComment(tag, "", "a second plain one");
    file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
}

void WriteDescribedCommentOnly(const fs::path& path) {
    WriteMp3Body(path);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    AddText(tag, "TIT2", TagLib::String::Latin1, TagLib::String("Only described"));
    AddComment(tag, "iTunNORM", "000001");
    file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3);
}

// The values of the WAV and AIFF rows.
std::vector<TagEntry> WaveEntries() {
    return {{"TITLE", {u"Wave Title"}},   {"ARTIST", {u"Ärzte"}},  {"ALBUM", {u"Wellen"}},
            {"DATE", {u"1999"}},          {"TRACKNUMBER", {u"2"}}, {"GENRE", {u"Punk"}},
            {"COMMENT", {u"wav comment"}}};
}

// A WAV file with its values in an id3 chunk, or only in its LIST/INFO chunk.
void WriteWav(const fs::path& path, bool infoOnly) {
    WriteWavBody(path);
    WriteProperties(path, WaveEntries());
    if (infoOnly) {
        TagLib::RIFF::WAV::File file(path.c_str(), false);
        file.save(TagLib::RIFF::WAV::File::Info, TagLib::File::StripOthers);
    }
}

void WriteTruncatedTag(const fs::path& path) {
    // A tag that claims 200 MB and ends after one frame.
    const std::string frame =
        std::string("TIT2", 4) + std::string("\0\0\0\x06\0\0", 6) + std::string("\0Cut o", 6);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << std::string("ID3\x04\0\0", 6) << SyncSafe(200000000) << frame;
}

void WriteGarbage(const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < 5000; ++i) out.put(static_cast<char>((i * 7919) % 251));
}

struct Row {
    const char* name;
    std::u16string file;
    std::function<void(const fs::path&)> make;
    Expected expected;
};

class SourceTagsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / "tonschleuder-source-tags";
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    Expected Read(const fs::path& path, bool& read) {
        SourceTags tags;
        read = ReadSourceTags(path.u16string().c_str(), tags);
        const WideString* f = tags.fields;
        return {Text(f[kArtist]), Text(f[kAlbum]),       Text(f[kTitle]), Text(f[kComment]),
                Text(f[kYear]),   Text(f[kTrackNumber]), Text(f[kGenre])};
    }

    fs::path folder;
};

void ExpectSame(const Expected& want, const Expected& got) {
    EXPECT_EQ(want.artist, got.artist);
    EXPECT_EQ(want.album, got.album);
    EXPECT_EQ(want.title, got.title);
    EXPECT_EQ(want.comment, got.comment);
    EXPECT_EQ(want.year, got.year);
    EXPECT_EQ(want.track, got.track);
    EXPECT_EQ(want.genre, got.genre);
}

TEST_F(SourceTagsTest, EachFormatAndTagKindGivesTheSevenValues) {
    const Expected japanese = {u"坂本龍一",    u"Merry Christmas Mr. Lawrence",
                               u"Før ½ Ωmega", u"from the tape",
                               u"1983",        u"1/19",
                               u"Soundtrack"};
    const Expected wave = {u"Ärzte", u"Wellen", u"Wave Title", u"wav comment",
                           u"1999",  u"2",      u"Punk"};
    const Row rows[] = {
        {"ID3v2.4 UTF-8", u"坂本龍一.mp3",
         [](const fs::path& p) { WriteId3v2(p, 4, TagLib::String::UTF8); }, japanese},
        {"ID3v2.4 UTF-16BE", u"utf16be.mp3",
         [](const fs::path& p) { WriteId3v2(p, 4, TagLib::String::UTF16BE); }, japanese},
        {"ID3v2.3 UTF-16", u"utf16.mp3",
         [](const fs::path& p) { WriteId3v2(p, 3, TagLib::String::UTF16); }, japanese},
        {"ID3v2.2 Latin-1 and UTF-16",
         u"v22.mp3",
         WriteId3v22,
         {u"Björk", u"Homogenic", u"Joga", u"", u"1997", u"2", u"Pop"}},
        {"ID3v1.1",
         u"v1.mp3",
         [](const fs::path& p) { WriteId3v1(p, false); },
         {u"Kraftwerk", u"Computerwelt", u"Short Title", u"v1 comment", u"1981", u"4",
          u"Electronic"}},
        {"ID3v2 and ID3v1: field by field",
         u"both.mp3",
         [](const fs::path& p) { WriteId3v1(p, true); },
         {u"Kraftwerk", u"Computerwelt", u"Computerliebe (a title longer than thirty)",
          u"v1 comment", u"1981", u"4", u"Electronic"}},
        {"APEv2, two artists, a date",
         u"ape.mp3",
         WriteApe,
         {u"One; Two", u"Vier", u"Ápé", u"ape comment", u"2001", u"5/9", u"Jazz"}},
        {"entries joined, trimmed, plain comment, numbered genre",
         u"entries.mp3",
         WriteEntriesAndComments,
         {u"Simon; Garfunkel", u"", u"Line  break", u"the plain one", u"2001", u"", u"Rock"}},
        {"only a described comment",
         u"described.mp3",
         WriteDescribedCommentOnly,
         {u"", u"", u"Only described", u"", u"", u"", u""}},
        {"WAV id3 chunk", u"id3.wav", [](const fs::path& p) { WriteWav(p, false); }, wave},
        {"WAV LIST/INFO chunk", u"info.wav", [](const fs::path& p) { WriteWav(p, true); }, wave},
        {"AIFF ID3 chunk", u"tagged.aiff",
         [](const fs::path& p) {
             WriteAiffBody(p);
             WriteProperties(p, WaveEntries());
         },
         wave},
        {"FLAC Vorbis comments",
         u"Björk.flac",
         [](const fs::path& p) {
             WriteFlacBody(p);
             WriteProperties(p, {{"TITLE", {u"Jóga"}},
                                 {"ARTIST", {u"Björk", u"Sjón"}},
                                 {"ALBUM", {u"Homogenic"}},
                                 {"DATE", {u"1997-09-22"}},
                                 {"TRACKNUMBER", {u"3"}},
                                 {"GENRE", {u"(13)"}},
                                 {"COMMENT", {u"flac"}}});
         },
         {u"Björk; Sjón", u"Homogenic", u"Jóga", u"flac", u"1997", u"3", u"Pop"}},
        {"M4A items",
         u"Ωμέγα.m4a",
         [](const fs::path& p) {
             WriteM4aBody(p);
             WriteProperties(p, {{"TITLE", {u"Ωδή"}},
                                 {"ARTIST", {u"Björk", u"Sjón"}},
                                 {"ALBUM", {u"Homogenic"}},
                                 {"DATE", {u"1997-09-22"}},
                                 {"TRACKNUMBER", {u"3/10"}},
                                 {"GENRE", {u"Pop"}},
                                 {"COMMENT", {u"m4a"}}});
         },
         {u"Björk; Sjón", u"Homogenic", u"Ωδή", u"m4a", u"1997", u"3/10", u"Pop"}},
        {"Ogg Vorbis comments",
         u"tagged.ogg",
         [](const fs::path& p) {
             WriteOggVorbis(
                 p, {"TITLE=Ogg Title", "ARTIST=A", "ARTIST=B", "ALBUM=Ogg Album", "DATE=2005",
                     "TRACKNUMBER=07", "GENRE=Ambient", "COMMENT=ogg comment"});
         },
         {u"A; B", u"Ogg Album", u"Ogg Title", u"ogg comment", u"2005", u"07", u"Ambient"}},
        {"no tags", u"plain.mp3", WriteMp3Body, {}},
        {"garbage with an audio name", u"garbage.mp3", WriteGarbage, {}},
        {"truncated tag: the frame that is there",
         u"truncated.mp3",
         WriteTruncatedTag,
         {u"", u"", u"Cut o", u"", u"", u"", u""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path path = folder / fs::path(row.file);
        row.make(path);
        bool read = false;
        ExpectSame(row.expected, Read(path, read));
    }
}

TEST_F(SourceTagsTest, MissingFileOrNonAudioReadsAsNothing) {
    SourceTags tags;
    tags.fields[kTitle] = Wide(u"stale");
    EXPECT_FALSE(ReadSourceTags((folder / "missing.mp3").u16string().c_str(), tags));
    EXPECT_TRUE(tags.fields[kTitle].IsEmpty());
    const fs::path text = folder / "notes.txt";
    std::ofstream(text) << "no audio";
    EXPECT_FALSE(ReadSourceTags(text.u16string().c_str(), tags));
}

#ifdef _WIN32
// A player or tagger may hold a dropped file open for writing: its tags are still read, and
// a pipe with an audio name is refused rather than read (no writer would ever answer).
TEST_F(SourceTagsTest, FileHeldOpenForWritingIsReadAndAPipeIsNot) {
    const fs::path path = folder / "held.mp3";
    ASSERT_TRUE(WriteTaggedMp3(path, u"Gehalten", u"Interpret", u"Album", u"4"));
    HANDLE held =
        CreateFileW(path.wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    bool read = false;
    const Expected got = Read(path, read);
    CloseHandle(held);
    EXPECT_TRUE(read);
    EXPECT_EQ(u"Gehalten", got.title);

    const wchar_t* pipeName = L"\\\\.\\pipe\\tonschleuder-source-tags.mp3";
    HANDLE pipe =
        CreateNamedPipeW(pipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    auto reading = std::async(std::launch::async, [pipeName] {
        SourceTags tags;
        return ReadSourceTags(reinterpret_cast<const char16_t*>(pipeName), tags);
    });
    const bool answered = reading.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    CloseHandle(pipe);  // ends a read that waits on the pipe, so the test never hangs
    EXPECT_TRUE(answered) << "the read waited on the pipe";
    EXPECT_FALSE(reading.get());
}
#endif

struct StackCall {
    const std::function<void()>* work;
    bool finished;
};

void RunCall(void* parameter) {
    auto* call = static_cast<StackCall*>(parameter);
    (*call->work)();
    call->finished = true;
}

// Runs the work on a thread with the tag reader's stack, as the program reads; false when the
// thread ended before the work did (Wine ends only the thread that overflows its stack).
bool RunOnReadingStack(const std::function<void()>& work) {
    StackCall call{&work, false};
#ifdef _WIN32
    HANDLE thread = CreateThread(
        nullptr, kTagReadingStack,
        [](void* parameter) -> DWORD {
            RunCall(parameter);
            return 0;
        },
        &call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr) return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
#else
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kTagReadingStack);
    pthread_t thread;
    const int failed = pthread_create(
        &thread, &attributes,
        [](void* parameter) -> void* {
            RunCall(parameter);
            return nullptr;
        },
        &call);
    pthread_attr_destroy(&attributes);
    if (failed != 0) return false;
    pthread_join(thread, nullptr);
#endif
    return call.finished;
}

// Files made to overflow the stack, exhaust memory or take minutes: each is read on the
// reader's own stack within 64 MB and gives the values it still holds. The time is printed,
// not asserted: it swings with the machine.
TEST_F(SourceTagsTest, CraftedFilesAreReadWithinTheLimits) {
    for (const CraftedFile& crafted : MakeCraftedFiles()) {
        SCOPED_TRACE(crafted.what);
        const fs::path path = folder / fs::path(crafted.name);
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(crafted.bytes.data(), static_cast<std::streamsize>(crafted.bytes.size()));
        }
        bool read = false;
        Expected got;
        ResetHeapPeak();
        const auto start = std::chrono::steady_clock::now();
        const bool finished = RunOnReadingStack([&] { got = Read(path, read); });
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const double mb = static_cast<double>(HeapPeakSinceReset()) / (1024 * 1024);
        ASSERT_TRUE(finished) << "the reading thread ended in the file";
        EXPECT_EQ(crafted.title, got.title);
        EXPECT_LT(mb, 64.0);
        std::printf("[ limits   ] %s (%zu KB): %.0f ms, heap peak %.1f MB\n", crafted.what,
                    crafted.bytes.size() / 1024, ms, mb);
    }
}

// Overwrites bytes of the file where `mark` begins, moved by `shift`.
void Overwrite(const fs::path& path, const std::string& mark, long shift,
               const std::string& bytes) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    const std::string content((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    const size_t at = content.find(mark);
    ASSERT_NE(std::string::npos, at);
    file.seekp(static_cast<std::streamoff>(at) + shift);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A file of the format with the title "Mit Bild" and the pictures.
std::function<void(const fs::path&)> WithPictures(void (*body)(const fs::path&),
                                                  std::vector<TestPicture> pictures) {
    return [body, pictures](const fs::path& path) {
        body(path);
        ASSERT_TRUE(WriteProperties(path, {{"TITLE", {u"Mit Bild"}}}));
        ASSERT_TRUE(AddPictures(path, pictures));
    };
}

void WriteOggBody(const fs::path& path) {
    WriteOggVorbis(path, {});
}

// The picture a file carries: the one chosen for the track, the same read again for the
// save, and none from a hostile one, whose tags are still read.
TEST_F(SourceTagsTest, EmbeddedCoverIsChosenAndReadAgainByteForByte) {
    constexpr int kFront = 3;
    constexpr int kOther = 0;
    const std::string front = MakeJpeg(900, 'f');
    const std::string other = MakePng(700, 'o');
    const std::string truncated = MakeJpeg(900, 't').substr(0, 500);
    const struct Row {
        const char* what;
        const char16_t* name;
        std::function<void(const fs::path&)> make;
        std::string cover;  // empty: none
    } rows[] = {
        {"MP3: the front cover, not the other picture before it", u"front.mp3",
         WithPictures(WriteMp3Body, {{kOther, other}, {kFront, front}}), front},
        {"MP3: only another picture", u"other.mp3", WithPictures(WriteMp3Body, {{kOther, other}}),
         other},
        {"MP3: a truncated front cover gives way", u"truncated-front.mp3",
         WithPictures(WriteMp3Body, {{kFront, truncated}, {kOther, other}}), other},
        {"WAV: its id3 chunk", u"picture.wav", WithPictures(WriteWavBody, {{kFront, front}}),
         front},
        {"FLAC: a PICTURE block", u"picture.flac",
         WithPictures(WriteFlacBody, {{kOther, other}, {kFront, front}}), front},
        {"M4A: the first covr", u"picture.m4a",
         WithPictures(WriteM4aBody, {{kOther, MakeGif(300)}, {kOther, front}}), MakeGif(300)},
        {"Ogg Vorbis: a comment picture", u"picture.ogg",
         WithPictures(WriteOggBody, {{kFront, other}}), other},
        {"MP3: a picture of 1 MB + 1", u"huge.mp3",
         WithPictures(WriteMp3Body, {{kFront, MakeJpeg(kCoverMaxBytes + 1)}}), ""},
        {"MP3: a PNG that is no PNG", u"no-png.mp3",
         WithPictures(WriteMp3Body, {{kFront, other.substr(0, 8) + front}}), ""},
        {"MP3: an APIC frame that claims 256 MB", u"claims.mp3",
         [&](const fs::path& path) {
             WithPictures(WriteMp3Body, {{kFront, front}})(path);
             Overwrite(path, "APIC", 4, "\x7F\x7F\x7F\x7F");
         },
         ""},
        {"FLAC: a picture that claims 4 GB", u"claims.flac",
         [&](const fs::path& path) {
             WithPictures(WriteFlacBody, {{kFront, front}})(path);
             Overwrite(path, front, -4, "\xFF\xFF\xFF\xFF");
         },
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const fs::path path = folder / fs::path(row.name);
        row.make(path);
        ResetHeapPeak();
        SourceTags tags;
        EXPECT_TRUE(ReadSourceTags(path.u16string().c_str(), tags));
        EXPECT_EQ(u"Mit Bild", Text(tags.fields[kTitle]));
        PictureBytes again;
        const bool readAgain = ReadEmbeddedCover(path.u16string().c_str(), again);
        EXPECT_LT(HeapPeakSinceReset(), 4u << 20);
        const TrackCover& cover = tags.cover;
        const auto* bytes = reinterpret_cast<const unsigned char*>(row.cover.data());
        if (row.cover.empty()) {
            EXPECT_EQ(CoverSource::kNone, cover.source);
            EXPECT_FALSE(readAgain);
            continue;
        }
        EXPECT_EQ(CoverSource::kEmbedded, cover.source);
        EXPECT_EQ(JudgePicture(bytes, row.cover.size()), cover.kind);
        EXPECT_EQ(row.cover.size(), cover.size);
        EXPECT_EQ(PictureHash(bytes, row.cover.size()), cover.hash);
        ASSERT_TRUE(readAgain);
        EXPECT_TRUE(row.cover ==
                    std::string(reinterpret_cast<const char*>(again.data.get()), again.size))
            << "the picture read again differs";
    }
}

// The length comes with the tags: a WAV's by its data; an MP3's without a Xing header at its
// layer's highest bitrate (320 kbit/s here, the frames' 128), so never more than it holds.
TEST(SourceLength, IsNeverMoreThanTheAudioHolds) {
    // 1.5 s of 16-bit stereo at 44.1 kHz.
    const std::string wav = std::string(
                                "RIFF\xBC\x09\x04\0WAVEfmt \x10\0\0\0\x01\0\x02\0"
                                "\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0data\x98\x09\x04\0",
                                44) +
                            std::string(264600, '\0');
    std::string frame("\xFF\xFB\x90\x64", 4);  // 417 bytes, 128 kbit/s, 44.1 kHz
    frame.resize(417, '\0');
    std::string mp3;
    for (int i = 0; i < 100; ++i) mp3 += frame;  // 41,700 bytes: 2,606 ms at 128 kbit/s
    const struct {
        const char* name;
        const std::string& bytes;
        const char16_t* fileName;
        uint32_t milliseconds;
    } cases[] = {
        {"WAV", wav, u"a.wav", 1500},
        {"MP3 without a Xing header", mp3, u"a.mp3", 2606 * 128 / 320},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SourceTags tags;
        ReadSourceTagsFromMemory(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                 c.bytes.size(), c.fileName, tags);
        EXPECT_EQ(tags.milliseconds, c.milliseconds);
    }
}

TEST(SourceTagRules, YearGenreAndEntryRules) {
    struct YearRow {
        const char16_t* date;
        const char16_t* year;
    } years[] = {{u"2001-05-01", u"2001"}, {u"1999", u"1999"}, {u"ca. 1975?", u"1975"},
                 {u"85", u"85"},           {u"", u""},         {u"12-345-6789", u"6789"}};
    for (const YearRow& row : years) {
        WideString value = Wide(row.date);
        KeepYearOfDate(value);
        EXPECT_EQ(std::u16string(row.year), Text(value))
            << "date " << Wide(row.date).ToUtf8().Text();
    }
    struct GenreRow {
        const char16_t* text;
        int number;
    } genres[] = {{u"17", 17},       {u"(17)", 17}, {u" (0) ", 0}, {u"Rock", -1},
                  {u"(17)Rock", -1}, {u"()", -1},   {u"1234", -1}, {u"", -1}};
    for (const GenreRow& row : genres) {
        EXPECT_EQ(row.number, GenreNumberOf(Wide(row.text))) << Wide(row.text).ToUtf8().Text();
    }
    WideString joined;
    AddTagEntry(joined, u"  A\t", 4);
    AddTagEntry(joined, u"   ", 3);
    AddTagEntry(joined, u"B\nC", 3);
    EXPECT_EQ(u"A; B C", Text(joined));
    std::u16string huge(100000, u'x');
    WideString capped;
    AddTagEntry(capped, huge.c_str(), static_cast<uint32_t>(huge.size()));
    EXPECT_EQ(kSourceTagMaxLength, capped.Length());
    // An entry that fits only without its separator is left out.
    WideString joinedToCap;
    AddTagEntry(joinedToCap, huge.c_str(), kSourceTagMaxLength - 4);
    AddTagEntry(joinedToCap, u"abc", 3);
    AddTagEntry(joinedToCap, u"ab", 2);
    EXPECT_EQ(kSourceTagMaxLength, joinedToCap.Length());
    EXPECT_EQ(u"; ab", Text(joinedToCap).substr(kSourceTagMaxLength - 4));
}

TEST(SourceTagRules, TagsFillOnlyFieldsTheUserLeftAlone) {
    TrackRecord record;
    record.fields[kTitle] = Wide(u"typed");
    MarkSetByUser(record, kTitle);
    SourceTags tags;
    tags.fields[kTitle] = Wide(u"from file");
    tags.fields[kArtist] = Wide(u"artist");
    EXPECT_TRUE(TakeSourceTags(record, tags));
    EXPECT_EQ(u"typed", Text(record.fields[kTitle]));
    EXPECT_EQ(u"artist", Text(record.fields[kArtist]));
    EXPECT_FALSE(TakeSourceTags(record, tags));
    // Covers are never edited: one arrives even where the user set every field.
    for (int field = kFirstTag; field <= kLastTag; ++field) MarkSetByUser(record, field);
    tags.cover.source = CoverSource::kEmbedded;
    tags.cover.hash = 42;
    EXPECT_FALSE(TakeSourceTags(record, tags));
    EXPECT_EQ(CoverSource::kEmbedded, record.cover.source);
    EXPECT_EQ(42u, record.cover.hash);
}

}  // namespace
