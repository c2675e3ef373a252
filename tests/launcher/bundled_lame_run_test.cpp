// End to end with the encoder the release zip brings: the real dialog writes a launcher, Wine's
// script host runs its page script, and the bundled lame.exe (LAME built by tools/build-lame
// with our Unicode patch) encodes and decodes. The outputs are read back with TagLib: names and
// tags outside the ANSI code page (Japanese, Greek, emoji) must come out exactly, the tags in
// ID3v2 frames of a Unicode encoding. Timing and fault cases keep the stand-in encoder.
#include <gtest/gtest.h>

#include <taglib/commentsframe.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "app/shell_win.h"
#include "launcher/launcher_script.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/tagged_files.h"
#include "tracks/folder_drop_win.h"

using namespace support;

namespace {

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string FromTagLib(const TagLib::String& text) {
    const std::wstring wide = text.toWString();
    return std::u16string(wide.begin(), wide.end());
}

void PutLittleEndian(std::string& bytes, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Half a second of a 440 Hz tone: 16-bit stereo PCM at 44.1 kHz in a RIFF WAVE file.
std::string ToneWave() {
    const uint32_t rate = 44100, frames = rate / 2, dataBytes = frames * 4;
    std::string bytes = "RIFF";
    PutLittleEndian(bytes, 36 + dataBytes, 4);
    bytes += "WAVEfmt ";
    PutLittleEndian(bytes, 16, 4);
    PutLittleEndian(bytes, 1, 2);  // PCM
    PutLittleEndian(bytes, 2, 2);
    PutLittleEndian(bytes, rate, 4);
    PutLittleEndian(bytes, rate * 4, 4);
    PutLittleEndian(bytes, 4, 2);
    PutLittleEndian(bytes, 16, 2);
    bytes += "data";
    PutLittleEndian(bytes, dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto sample = static_cast<int16_t>(8000 * std::sin(i * 2 * 3.14159265 * 440 / rate));
        PutLittleEndian(bytes, static_cast<uint16_t>(sample), 2);
        PutLittleEndian(bytes, static_cast<uint16_t>(sample), 2);
    }
    return bytes;
}

// What the ID3v2 frames of one id hold as read back: the text of each (a comment's text, a
// user frame's value) and whether each is stored in a Unicode encoding.
struct ReadFrames {
    std::vector<std::u16string> texts;
    std::vector<bool> unicode;
};

ReadFrames FramesOf(TagLib::ID3v2::Tag& tag, const char* id) {
    ReadFrames read;
    for (TagLib::ID3v2::Frame* frame : tag.frameListMap()[id]) {
        TagLib::String::Type encoding = TagLib::String::Latin1;
        if (auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
            read.texts.push_back(FromTagLib(user->description()) + u"=" +
                                 FromTagLib(user->fieldList().back()));
            encoding = user->textEncoding();
        } else if (auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
            read.texts.push_back(FromTagLib(text->toString()));
            encoding = text->textEncoding();
        } else if (auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame)) {
            read.texts.push_back(FromTagLib(comment->text()));
            encoding = comment->textEncoding();
        } else {
            read.texts.push_back(u"<frame of another kind>");
        }
        read.unicode.push_back(encoding != TagLib::String::Latin1);
    }
    return read;
}

bool BeyondLatin1(const std::u16string& text) {
    for (char16_t unit : text)
        if (unit > 0xFF) return true;
    return false;
}

// Exactly one frame of the id, holding exactly the value; in a Unicode encoding where the value
// has characters beyond Latin-1.
void ExpectFrame(TagLib::ID3v2::Tag& tag, const char* id, const std::u16string& value) {
    SCOPED_TRACE(id);
    const ReadFrames read = FramesOf(tag, id);
    ASSERT_EQ(read.texts.size(), 1u);
    EXPECT_EQ(PrintableText(read.texts[0]), PrintableText(value));
    EXPECT_TRUE(read.texts[0] == value);
    if (BeyondLatin1(value)) {
        EXPECT_TRUE(read.unicode[0]) << "stored as Latin-1";
    }
}

class BundledLame : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        OpenScene(u"bundled-lame", u"Tööls Ελληνικά \U0001F3B5\\", ReadBytes(FromUtf8(TS_LAME)));
        ASSERT_NE(dialog_, nullptr);
        music_ = folder_ + u"音楽 Μουσική \U0001F3B6\\";
        MakeFolders(music_);
    }
    void TearDown() override { CloseScene(); }

    std::u16string Wave(const std::u16string& name) {
        const std::u16string path = music_ + name;
        EXPECT_TRUE(WriteBytes(path, ToneWave()));
        return path;
    }

    // An MP3 made from a tone by the bundled encoder itself, without tags.
    std::u16string Mp3(const std::u16string& name) {
        const std::u16string wave = Wave(name + u".wav");
        const std::u16string mp3 = music_ + name + u".mp3";
        EXPECT_EQ(
            RunToEnd(u"\"" + lame_ + u"\" --silent -b 128 \"" + wave + u"\" \"" + mp3 + u"\""), 0);
        DeleteFileW(W(wave));
        return mp3;
    }

    void SetTags(int row, const std::vector<std::pair<int, std::u16string>>& tags) {
        SelectRows(dialog_, {row});
        for (const auto& [field, value] : tags) TypeInto(dialog_, field, value);
    }

    // Writes the launcher (into the first track's folder) through the batch button and runs
    // it in the host given.
    ScriptResult WriteAndRun(Host host = Host::kWine, const std::u16string& launcherFolder = {}) {
        {
            MessageBoxRecorder recorder;
            PressBatchButton(dialog_);
            EXPECT_EQ(recorder.Texts(),
                      std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
        }
        const std::u16string folder = launcherFolder.empty() ? music_ : launcherFolder;
        ScriptResult result = RunLauncherScript(ReadBytes(folder + u"Lame-Aufruf.hta"), folder_,
                                                {{u"OS", u"Windows_NT"}}, host, 180);
        EXPECT_TRUE(result.finished) << "cscript output:\n" << result.output;
        return result;
    }

    // The encoder's runs (by the page or by its helpers) each ended with 0.
    void ExpectEncoderRunsWentWell(const ScriptResult& result, size_t count) {
        std::vector<HarnessRun> runs = result.runs;
        runs.insert(runs.end(), result.helperRuns.begin(), result.helperRuns.end());
        size_t encoderRuns = 0;
        for (const HarnessRun& run : runs) {
            if (run.command.find(lame_) == std::u16string::npos) continue;
            ++encoderRuns;
            EXPECT_EQ(run.exitCode, 0) << PrintableText(run.command);
        }
        EXPECT_EQ(encoderRuns, count) << result.output;
    }

    std::u16string music_;
};

TEST_F(BundledLame, NamesAndTagsOutsideTheAnsiCodePageComeOutExactly) {
    const std::u16string wave = Wave(u"日本語の曲 Ωδή \U0001F600.wav");
    const std::u16string mp3 = Mp3(u"Ελληνικά 歌 \U0001F3B8");
    DropFiles(dialog_, {wave, mp3});
    ClickButton(dialog_, IDX_ID3V2);
    SetFieldText(dialog_, IDE_EXTRA_ARGS, u"--tv \"TXXX=Quelle=東京 Αθήνα \U0001F4BF\"");
    struct Expected {
        std::u16string output;
        std::u16string title, artist, album, comment, genre, year, track;
    };
    const Expected expected[] = {
        {music_ + u"日本語の曲 Ωδή \U0001F600.mp3", u"夜明けの歌 \U0001F305", u"Μίκης Θεοδωράκης",
         u"アルバム Άλμπουμ", u"コメント σχόλιο \U0001F3B5 äöü", u"J-Pop 日本", u"1999", u"3/12"},
        {mp3 + u".mp3", u"Ωδή στη χαρά", u"山田 太郎", u"\U0001F3BC", u"Grüße", u"Λαϊκά", u"2024",
         u"7"},
    };
    for (int row = 0; row < 2; ++row) {
        const Expected& e = expected[row];
        SetTags(row, {{IDE_TITLE, e.title},
                      {IDE_ARTIST, e.artist},
                      {IDE_ALBUM, e.album},
                      {IDE_COMMENT, e.comment},
                      {IDE_GENRE, e.genre},
                      {IDE_YEAR, e.year},
                      {IDE_TRACK_NUMBER, e.track}});
    }
    ExpectEncoderRunsWentWell(WriteAndRun(), 2);

    for (const Expected& e : expected) {
        SCOPED_TRACE(PrintableText(e.output));
        ASSERT_TRUE(Exists(e.output));
        TagLib::MPEG::File file(W(e.output));
        ASSERT_TRUE(file.isValid());
        ASSERT_NE(file.audioProperties(), nullptr);
        EXPECT_EQ(file.audioProperties()->sampleRate(), 44100);
        EXPECT_GT(file.audioProperties()->lengthInMilliseconds(), 400);
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
        ASSERT_NE(tag, nullptr) << "no ID3v2 tag";
        ExpectFrame(*tag, "TIT2", e.title);
        ExpectFrame(*tag, "TPE1", e.artist);
        ExpectFrame(*tag, "TALB", e.album);
        ExpectFrame(*tag, "TCON", e.genre);
        // TagLib reads an ID3v2.3 year (TYER, as LAME writes it) as the ID3v2.4 date frame.
        ExpectFrame(*tag, "TDRC", e.year);
        ExpectFrame(*tag, "TRCK", e.track);
        ExpectFrame(*tag, "COMM", e.comment);
        ExpectFrame(*tag, "TXXX", u"Quelle=東京 Αθήνα \U0001F4BF");
    }
    EXPECT_TRUE(Exists(wave));
    EXPECT_TRUE(Exists(mp3));
}

// LAME copies no tag from its input: the values come from the tags the dropped files carry,
// read by the program, and must come out of the re-encode as they went in.
TEST_F(BundledLame, ATaggedMp3AndWaveKeepTheirSevenValuesThroughTheReencode) {
    const std::u16string mp3 = Mp3(u"01 Jóga");
    const std::u16string wave = Wave(u"02 夜明け Ωδή.wav");
    const std::vector<TagEntry> tags = {{"TITLE", {u"Jóga \"live\" 夜明け"}},
                                        {"ARTIST", {u"Björk", u"Sjón"}},
                                        {"ALBUM", {u"Homogenic 100% Αθήνα"}},
                                        {"COMMENT", {u"ripped \U0001F4BF"}},
                                        {"DATE", {u"1997-09-22"}},
                                        {"TRACKNUMBER", {u"3/10"}},
                                        {"GENRE", {u"(13)"}}};
    for (const std::u16string& source : {mp3, wave})
        ASSERT_TRUE(WriteProperties(
            std::filesystem::path(std::wstring(source.begin(), source.end())), tags));
    DropFiles(dialog_, {mp3, wave});
    ClickButton(dialog_, IDX_ID3V2);
    ExpectEncoderRunsWentWell(WriteAndRun(), 2);

    for (const std::u16string& output : {mp3 + u".mp3", music_ + u"02 夜明け Ωδή.mp3"}) {
        SCOPED_TRACE(PrintableText(output));
        TagLib::MPEG::File file(W(output));
        ASSERT_TRUE(file.isValid());
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
        ASSERT_NE(tag, nullptr) << "no ID3v2 tag";
        ExpectFrame(*tag, "TIT2", u"Jóga \"live\" 夜明け");
        ExpectFrame(*tag, "TPE1", u"Björk; Sjón");
        ExpectFrame(*tag, "TALB", u"Homogenic 100% Αθήνα");
        ExpectFrame(*tag, "COMM", u"ripped \U0001F4BF");
        ExpectFrame(*tag, "TDRC", u"1997");
        ExpectFrame(*tag, "TRCK", u"3/10");
        ExpectFrame(*tag, "TCON", u"Pop");
    }
}

// The picture a source carries, or its folder's cover image, goes into the MP3 as its one front
// cover, byte for byte; an album's tracks share one picture file beside the launcher, which
// runs again later with it. A cut-off picture, a folder with only another image, and a cover
// image gone before the run leave the MP3 without a cover, never without its MP3 or its tags.
TEST_F(BundledLame, CoversGoIntoTheMp3sAsTheirFrontCover) {
    const std::string albumCover = MakeJpeg(3000, 'a'), folderCover = MakeJpeg(2000, 'b');
    const std::string front = MakePng(900, 'f');
    for (const char16_t* album : {u"A\\", u"B\\", u"C\\", u"D\\"}) MakeFolders(music_ + album);
    struct Source {
        std::u16string name, output;
        std::vector<TestPicture> embedded;
        std::string cover;  // what the MP3 must carry; empty: no picture
    };
    std::string cut = MakeJpeg(1500, 'c');
    cut.resize(cut.size() - 40);
    const std::vector<Source> sources = {
        {u"A\\1 Eins", u"A\\1 Eins.mp3.mp3", {{0, MakePng(700, 'o')}, {3, albumCover}}, albumCover},
        {u"A\\2 Zwei", u"A\\2 Zwei.mp3.mp3", {{3, albumCover}}, albumCover},
        {u"B\\3 Drei.wav", u"B\\3 Drei.mp3", {}, folderCover},
        {u"C\\4 Vier", u"C\\4 Vier.mp3.mp3", {{3, cut}}, ""},
        {u"D\\5 Fünf.wav", u"D\\5 Fünf.mp3", {}, ""},
    };
    ASSERT_TRUE(WriteBytes(music_ + u"B\\Cover.JPG", folderCover));
    ASSERT_TRUE(WriteBytes(music_ + u"B\\folder.png", front));
    ASSERT_TRUE(WriteBytes(music_ + u"C\\scan.jpg", folderCover));
    ASSERT_TRUE(WriteBytes(music_ + u"D\\FRONT.png", front));
    std::vector<std::u16string> dropped;
    for (const Source& source : sources) {
        const bool wave = source.name.ends_with(u".wav");
        const std::u16string path = wave ? Wave(source.name) : Mp3(source.name);
        const std::filesystem::path file(std::wstring(path.begin(), path.end()));
        ASSERT_TRUE(WriteProperties(file, {{"TITLE", {source.name.substr(2)}}}));
        if (!source.embedded.empty()) {
            ASSERT_TRUE(AddPictures(file, source.embedded));
        }
        dropped.push_back(path);
    }
    DropFiles(dialog_, dropped);
    ClickButton(dialog_, IDX_ID3V2);
    {
        MessageBoxRecorder recorder;
        PressBatchButton(dialog_);
        ASSERT_EQ(recorder.Texts(),
                  std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
    }
    const std::string launcher = ReadBytes(music_ + u"A\\Lame-Aufruf.hta");
    const std::u16string covers = music_ + u"A\\Lame-Aufruf-Cover\\";
    EXPECT_EQ(FolderNames(covers).size(), 1u) << "one file for the album's picture";
    ASSERT_TRUE(DeleteFileW(W(music_ + u"D\\FRONT.png")));

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round == 1 ? "written" : "run again");
        const ScriptResult result =
            RunLauncherScript(ReadBytes(music_ + u"A\\Lame-Aufruf.hta"), folder_,
                              {{u"OS", u"Windows_NT"}}, Host::kWine, 180);
        ASSERT_TRUE(result.finished) << result.output;
        if (round == 1) ExpectEncoderRunsWentWell(result, sources.size());
        size_t ok = 0;
        for (size_t at = 0; (at = result.report.find(u"...OK<br>", at)) != std::u16string::npos;
             ++at)
            ++ok;
        EXPECT_EQ(ok, sources.size()) << PrintableText(result.report);
        for (const Source& source : sources) {
            SCOPED_TRACE(PrintableText(source.name));
            const std::u16string output = music_ + source.output;
            {
                TagLib::MPEG::File file(W(output));
                ASSERT_TRUE(file.isValid());
                TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
                ASSERT_NE(tag, nullptr);
                ExpectFrame(*tag, "TIT2", source.name.substr(2));
                const TagLib::ID3v2::FrameList pictures = tag->frameList("APIC");
                ASSERT_EQ(pictures.size(), source.cover.empty() ? 0u : 1u);
                if (!source.cover.empty()) {
                    const auto* picture =
                        dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
                    ASSERT_NE(picture, nullptr);
                    EXPECT_EQ(picture->type(), TagLib::ID3v2::AttachedPictureFrame::FrontCover);
                    EXPECT_TRUE(std::string(picture->picture().data(), picture->picture().size()) ==
                                source.cover);
                }
            }
            ASSERT_TRUE(DeleteFileW(W(output)));
        }
    }

    // Switched off, no track names a picture and no folder of covers is written.
    OpenDialogState()->output.cover = false;
    RemoveTree(covers);
    ASSERT_TRUE(DeleteFileW(W(music_ + u"A\\Lame-Aufruf.hta")));
    {
        MessageBoxRecorder recorder;
        PressBatchButton(dialog_);
    }
    EXPECT_EQ(ReadBytes(music_ + u"A\\Lame-Aufruf.hta").find("--ti"), std::string::npos);
    EXPECT_NE(launcher.find("--ti"), std::string::npos);
    EXPECT_FALSE(Exists(covers));
}

// In the model of Windows, whose lame.exe splits its command line by msvcrt.dll's rule (there
// "" inside quotes ends the quoted part), each title still arrives exactly.
TEST_F(BundledLame, QuotesAndBackslashesInTitlesComeOutExactly) {
    const std::u16string titles[] = {u"\"Heroes\"", u"12\" Mix", u"a\\\"b", u"ends in \\"};
    std::vector<std::u16string> waves;
    for (int i = 0; i < 4; ++i)
        waves.push_back(Wave(u"quote " + std::u16string(1, char16_t(u'1' + i)) + u".wav"));
    DropFiles(dialog_, waves);
    for (int row = 0; row < 4; ++row) SetTags(row, {{IDE_TITLE, titles[row]}});
    ExpectEncoderRunsWentWell(WriteAndRun(Host::kWindowsModel), 4);

    for (int i = 0; i < 4; ++i) {
        const std::u16string output = waves[i].substr(0, waves[i].size() - 4) + u".mp3";
        SCOPED_TRACE(PrintableText(titles[i]));
        TagLib::MPEG::File file(W(output));
        ASSERT_TRUE(file.isValid());
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
        ASSERT_NE(tag, nullptr) << "no ID3v2 tag";
        ExpectFrame(*tag, "TIT2", titles[i]);
    }
}

// LAME's front end copied each name into a buffer of 260 bytes of UTF-8; the launcher names a
// path of 260 units or more in its long form (\\?\...), which Windows opens whatever its
// long-path setting.
TEST_F(BundledLame, LongAndJapaneseNamesAreEncodedFromAndTo) {
    const std::u16string deep = PathOfLength(folder_ + u"Lang\\", 300, u".wav");
    // 120 Japanese characters, in the folder's name and the file's: 360 bytes of UTF-8.
    const std::u16string japanese =
        music_ + std::u16string(58, u'曲') + u"\\" + std::u16string(60, u'歌') + u".wav";
    for (const std::u16string& source : {deep, japanese}) {
        ASSERT_TRUE(MakeFolders(source.substr(0, source.rfind(u'\\') + 1)));
        ASSERT_TRUE(WriteBytes(source, ToneWave()));
    }
    DropFiles(dialog_, {deep, japanese});
    const std::u16string deepFolder = deep.substr(0, deep.rfind(u'\\') + 1);
    ExpectEncoderRunsWentWell(WriteAndRun(Host::kWine, deepFolder), 2);

    for (const std::u16string& source : {deep, japanese}) {
        const std::u16string output = source.substr(0, source.size() - 4) + u".mp3";
        SCOPED_TRACE(PrintableText(output));
        TagLib::MPEG::File file(W(output));
        ASSERT_TRUE(file.isValid());
        ASSERT_NE(file.audioProperties(), nullptr);
        EXPECT_GT(file.audioProperties()->lengthInMilliseconds(), 400);
    }
}

TEST_F(BundledLame, DecodeTurnsAnMp3WithAUnicodeNameIntoAWaveFile) {
    const std::u16string mp3 = Mp3(u"デコード Αποκωδικοποίηση \U0001F50A");
    DropFiles(dialog_, {mp3});
    SetFieldText(dialog_, IDE_EXTRA_ARGS, u"--decode");
    const ScriptResult result = WriteAndRun();
    ExpectEncoderRunsWentWell(result, 1);

    const std::u16string wave = music_ + u"デコード Αποκωδικοποίηση \U0001F50A.wav";
    ASSERT_TRUE(Exists(wave)) << PrintableText(result.report);
    EXPECT_EQ(ReadBytes(wave).substr(0, 4), "RIFF");
    TagLib::RIFF::WAV::File file(W(wave));
    ASSERT_TRUE(file.isValid());
    ASSERT_NE(file.audioProperties(), nullptr);
    EXPECT_EQ(file.audioProperties()->sampleRate(), 44100);
    EXPECT_EQ(file.audioProperties()->channels(), 2);
    EXPECT_EQ(file.audioProperties()->bitsPerSample(), 16);
    EXPECT_GT(file.audioProperties()->lengthInMilliseconds(), 400);
    EXPECT_TRUE(Exists(mp3));
}

// An album and a single saved by the album pattern into a folder of their own that does not
// exist yet, with and without the sources' folders kept: the launcher makes the folders, each
// output lies at its path with its exact tags, and "Orig. löschen" deletes exactly the sources
// that were encoded. A track whose folder cannot be made (a file is in the way) gets an error
// line and keeps its source; the batch goes on.
TEST_F(BundledLame, AnAlbumGoesIntoFoldersMadeFromItsTags) {
    struct Track {
        std::u16string source;  // below music_
        std::u16string artist, album, title, number;
        std::u16string output;      // below the target; empty: not encoded
        std::u16string keptOutput;  // the same with the sources' folders kept
    };
    const Track album[] = {
        {u"Album A\\01.wav", u"AC/DC", u"Back in Black", u"Hells Bells", u"1",
         u"AC_DC\\Back in Black\\01 - Hells Bells.mp3",
         u"Album A\\AC_DC\\Back in Black\\01 - Hells Bells.mp3"},
        {u"Album A\\02.wav", u"AC/DC", u"Back in Black", u"Shoot to Thrill", u"2",
         u"AC_DC\\Back in Black\\02 - Shoot to Thrill.mp3",
         u"Album A\\AC_DC\\Back in Black\\02 - Shoot to Thrill.mp3"},
        {u"Andere\\x.wav", u"Yusuf / Cat Stevens", u"Tea for the Tillerman", u"Wild World", u"3/12",
         u"Yusuf _ Cat Stevens\\Tea for the Tillerman\\03 - Wild World.mp3",
         u"Andere\\Yusuf _ Cat Stevens\\Tea for the Tillerman\\03 - Wild World.mp3"},
        {u"Andere\\y.wav", u"Sperre", u"B", u"T", u"4", u"", u""},
    };
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "sources' folders kept" : "all in one tree");
        if (keep) RenewScene(music_);
        const std::u16string target = folder_ + u"MP3 fürs Auto\\";
        RemoveTree(target);
        MakeFolders(target + (keep ? u"Andere\\" : u""));
        // A file where the fourth track's artist folder would go.
        ASSERT_TRUE(WriteBytes(target + (keep ? u"Andere\\Sperre" : u"Sperre"), "x"));
        std::vector<std::u16string> sources;
        for (const Track& track : album) {
            MakeFolders(music_ + track.source.substr(0, track.source.find(u'\\') + 1));
            sources.push_back(Wave(track.source));
        }
        DropFiles(dialog_, sources);
        for (int row = 0; row < 4; ++row)
            SetTags(row, {{IDE_ARTIST, album[row].artist},
                          {IDE_ALBUM, album[row].album},
                          {IDE_TITLE, album[row].title},
                          {IDE_TRACK_NUMBER, album[row].number}});
        ClickButton(dialog_, IDX_ID3V2);
        ClickButton(dialog_, IDX_DELETE_ORIGINALS);
        OutputSettings& settings = MainDialogState(dialog_)->output;
        settings.ownFolder = true;
        settings.folder.AssignText((folder_ + u"MP3 fürs Auto").c_str());
        settings.keepSourceFolders = keep;
        settings.pattern.AssignText(u"<Interpret>\\<Album>\\<Nr> - <Titel>");
        {
            MessageBoxRecorder recorder;
            PressBatchButton(dialog_);
            EXPECT_EQ(recorder.Texts(),
                      std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
        }
        // A work folder per run: the runs of the one before are not counted again.
        const std::u16string work = folder_ + (keep ? u"Lauf 2\\" : u"Lauf 1\\");
        MakeFolders(work);
        const ScriptResult result =
            RunLauncherScript(ReadBytes(music_ + u"Album A\\Lame-Aufruf.hta"), work,
                              {{u"OS", u"Windows_NT"}}, Host::kWine, 180);
        ASSERT_TRUE(result.finished) << "cscript output:\n" << result.output;
        ExpectEncoderRunsWentWell(result, 3);
        EXPECT_NE(result.report.find(u"error: the folder " + target + (keep ? u"Andere\\" : u"") +
                                     u"Sperre\\B could not be made"),
                  std::u16string::npos)
            << PrintableText(result.report);

        for (size_t i = 0; i < 4; ++i) {
            const Track& track = album[i];
            SCOPED_TRACE(PrintableText(track.source));
            const std::u16string& output = keep ? track.keptOutput : track.output;
            EXPECT_EQ(Exists(sources[i]), output.empty()) << "only encoded sources are deleted";
            if (output.empty()) continue;
            ASSERT_TRUE(Exists(target + output)) << PrintableText(result.report);
            TagLib::MPEG::File file(W(target + output));
            ASSERT_TRUE(file.isValid());
            TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
            ASSERT_NE(tag, nullptr) << "no ID3v2 tag";
            ExpectFrame(*tag, "TPE1", track.artist);
            ExpectFrame(*tag, "TALB", track.album);
            ExpectFrame(*tag, "TIT2", track.title);
            ExpectFrame(*tag, "TRCK", track.number);
        }
        RemoveTree(target);
    }
}

}  // namespace

// A library dropped as its root folder, "Vorhandene MP3s überspringen" and the sources' folders
// kept: the outputs follow the dropped folder's tree. Two albums added and the root dropped
// again, the launcher encodes exactly the new tracks and the message counts the others; dropped
// a third time, every output is there and nothing is written.
TEST_F(BundledLame, ALibraryDroppedAgainEncodesOnlyItsNewAlbums) {
    const std::u16string library = music_ + u"Bibliothek";
    const auto album = [&](const std::u16string& folder) {
        MakeFolders(library + u"\\" + folder);
        for (const char16_t* name : {u"\\01 Eins.wav", u"\\02 Zwei.wav"})
            Wave(u"Bibliothek\\" + folder + name);
    };
    const std::u16string target = folder_ + u"MP3 fürs Auto";
    OutputSettings& settings = MainDialogState(dialog_)->output;
    settings.ownFolder = true;
    settings.folder.AssignText(target.c_str());
    settings.keepSourceFolders = true;
    settings.skipExisting = true;
    const std::u16string launcher = library + u"\\Alpha\\Erstes\\Lame-Aufruf.hta";
    // Drops the library into an emptied list and saves; yields the messages shown.
    const auto dropAndSave = [&] {
        SendMessageW(dialog_, WM_COMMAND, IDM_SELECT_ALL, 0);
        ClickButton(dialog_, IDB_REMOVE);
        DropFiles(dialog_, {library});
        EXPECT_TRUE(PumpUntil([] { return !IsListingFolders(*OpenDialogState()); }, 20000));
        DeleteFileW(W(launcher));
        MessageBoxRecorder recorder;
        PressBatchButton(dialog_);
        return recorder.Texts();
    };
    const auto run = [&](const std::u16string& work, size_t encodes) {
        MakeFolders(folder_ + work);
        const ScriptResult result = RunLauncherScript(ReadBytes(launcher), folder_ + work,
                                                      {{u"OS", u"Windows_NT"}}, Host::kWine, 180);
        ASSERT_TRUE(result.finished) << "cscript output:\n" << result.output;
        ExpectEncoderRunsWentWell(result, encodes);
    };

    album(u"Alpha\\Erstes");
    ASSERT_TRUE(WriteBytes(library + u"\\Alpha\\Erstes\\cover.jpg", "\xFF\xD8\xFF"));
    EXPECT_EQ(dropAndSave(), std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
    run(u"Lauf 1", 2);
    const std::u16string first = target + u"\\Alpha\\Erstes\\01 Eins.mp3";
    ASSERT_TRUE(Exists(first)) << "the tree below the dropped folder";
    const std::string firstBytes = ReadBytes(first);

    album(u"Alpha\\Zweites");
    album(u"Beta\\Drittes");
    EXPECT_EQ(dropAndSave(),
              std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben.\r\n\r\n2 Titel "
                                          u"übersprungen: ihre MP3s gibt es schon."});
    run(u"Lauf 2", 4);
    for (const char16_t* output :
         {u"\\Alpha\\Zweites\\01 Eins.mp3", u"\\Alpha\\Zweites\\02 Zwei.mp3",
          u"\\Beta\\Drittes\\01 Eins.mp3", u"\\Beta\\Drittes\\02 Zwei.mp3"}) {
        TagLib::MPEG::File file(W(target + output));
        EXPECT_TRUE(file.isValid()) << PrintableText(output);
    }
    EXPECT_EQ(ReadBytes(first), firstBytes) << "the earlier encode stays as it was";

    EXPECT_EQ(dropAndSave(), std::vector<std::u16string>{
                                 u"Alle Titel übersprungen: ihre MP3s gibt es schon. Es wird "
                                 u"nichts gespeichert!"});
    EXPECT_EQ(FolderNames(library + u"\\Alpha\\Erstes\\"),
              (std::vector<std::u16string>{u"01 Eins.wav", u"02 Zwei.wav", u"cover.jpg"}))
        << "no launcher";
}
