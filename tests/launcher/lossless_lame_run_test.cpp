// End to end with the bundled lame.exe reading FLAC, Ogg Vorbis and Opus through libsndfile:
// the real dialog writes a launcher, Wine's script host runs it, and the outputs are read back.
// The sources are tones Debian's own encoders made at build time (tests/launcher/CMakeLists.txt),
// copied under names outside the ANSI code page and tagged here by TagLib. Each output must
// carry the source's tags and exactly its number of samples (what LAME's own header says after
// its encoder delay and padding), so that an album stays gapless.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <tlhelp32.h>
#include <winternl.h>

#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "launcher/launcher_script.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/tagged_files.h"

using namespace support;

namespace {

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::filesystem::path PathOf(const std::u16string& path) {
    return std::filesystem::path(std::wstring(path.begin(), path.end()));
}

std::u16string Fixture(const char* name) {
    std::u16string path = FromUtf8(TS_LOSSLESS_DIR) + u"/" + FromUtf8(name);
    for (char16_t& unit : path)
        if (unit == u'/') unit = u'\\';
    return path;
}

// The text of the one ID3v2 text frame of this id, or "<n frames>".
std::u16string FrameText(TagLib::ID3v2::Tag& tag, const char* id) {
    const TagLib::ID3v2::FrameList& frames = tag.frameListMap()[id];
    if (frames.size() != 1) {
        char text[32];
        std::snprintf(text, sizeof text, "<%u frames>", static_cast<unsigned>(frames.size()));
        return FromUtf8(text);
    }
    const std::wstring wide = frames.front()->toString().toWString();
    return std::u16string(wide.begin(), wide.end());
}

uint32_t BigEndian(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The samples an MP3 of LAME's holds for a player that honours LAME's header: its frames times
// the frame's samples, less the encoder delay and padding the header records; -1 without one.
long long GaplessSamples(const std::string& mp3) {
    size_t at = 0;
    if (mp3.compare(0, 3, "ID3") == 0 && mp3.size() > 10)
        at = 10 + ((static_cast<size_t>(mp3[6] & 0x7F) << 21) | ((mp3[7] & 0x7F) << 14) |
                   ((mp3[8] & 0x7F) << 7) | (mp3[9] & 0x7F));
    const size_t info = mp3.find("Info", at), xing = mp3.find("Xing", at);
    const size_t header = std::min(info, xing);
    if (header == std::string::npos || header > at + 64 || mp3.size() < header + 0x90) return -1;
    const uint32_t flags = BigEndian(mp3, header + 4, 4);
    if (!(flags & 1)) return -1;  // no frame count
    const uint32_t frames = BigEndian(mp3, header + 8, 4);
    size_t lame = header + 8 + 4 * ((flags & 1) != 0) + 4 * ((flags & 2) != 0) +
                  100 * ((flags & 4) != 0) + 4 * ((flags & 8) != 0);
    if (mp3.compare(lame, 4, "LAME") != 0) return -1;
    const uint32_t delays = BigEndian(mp3, lame + 21, 3);
    // MPEG-1 frames hold 1152 samples, MPEG-2 and 2.5 (below 32 kHz) 576.
    const int version = (static_cast<unsigned char>(mp3[at + 1]) >> 3) & 3;
    const long long perFrame = version == 3 ? 1152 : 576;
    return frames * perFrame - (delays >> 12) - (delays & 0xFFF);
}

// The largest absolute sample of a 16-bit WAV that lame.exe --decode wrote, as a fraction of
// full scale (-1 when the file holds no such data).
double PeakOfDecodedWav(const std::string& wav) {
    const size_t data = wav.find("data", 12);
    if (data == std::string::npos || data + 8 > wav.size()) return -1;
    int peak = 0;
    for (size_t at = data + 8; at + 1 < wav.size(); at += 2) {
        const int sample = static_cast<int16_t>(static_cast<uint8_t>(wav[at]) |
                                                (static_cast<uint8_t>(wav[at + 1]) << 8));
        peak = std::max(peak, sample < 0 ? -sample : sample);
    }
    return peak / 32768.0;
}

// When the file was last written, in milliseconds since 1601 (as the harness logs its click).
unsigned long long LastWriteMs(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(W(path), GetFileExInfoStandard, &data)) return 0;
    return ((static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime) /
           10000;
}

// Another process's command line, from its process parameters (Toolhelp names only its program).
std::wstring CommandLineOf(HANDLE process) {
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const Query query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    SIZE_T read = 0;
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, &read) ||
        !peb.ProcessParameters ||
        !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, &read))
        return {};
    std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(),
                           parameters.CommandLine.Length, &read))
        return {};
    return text;
}

// Ends a launcher's helper (as a security product would) while the encoder it started runs
// on a source of this name: a thread watches for that lame.exe and terminates its parent, the
// helper's wscript.exe. The encoder itself runs on, and can be waited for.
class HelperEnder {
  public:
    explicit HelperEnder(const std::u16string& sourceName)
        : name_(sourceName.begin(), sourceName.end()), watcher_([this] { Watch(); }) {}
    ~HelperEnder() {
        stop_ = true;
        watcher_.join();
        if (encoder_) CloseHandle(encoder_);
    }
    // Whether a helper was ended; then waits for its encoder to end.
    bool EndedAndEncoderDone() {
        for (int i = 0; i < 1200 && !ended_; ++i) Sleep(50);
        return ended_ && WaitForSingleObject(encoder_, 60000) == WAIT_OBJECT_0;
    }

  private:
    void Watch() {
        const ULONGLONG end = GetTickCount64() + 300000;
        while (!stop_ && !ended_ && GetTickCount64() < end) {
            HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            if (snapshot == INVALID_HANDLE_VALUE) return;
            PROCESSENTRY32W entry{};
            entry.dwSize = sizeof entry;
            std::vector<PROCESSENTRY32W> processes;
            for (BOOL more = Process32FirstW(snapshot, &entry); more;
                 more = Process32NextW(snapshot, &entry))
                processes.push_back(entry);
            CloseHandle(snapshot);
            for (const PROCESSENTRY32W& lame : processes)
                if (!ended_ && lstrcmpiW(lame.szExeFile, L"lame.exe") == 0)
                    EndParentOf(lame, processes);
            Sleep(20);
        }
    }
    void EndParentOf(const PROCESSENTRY32W& lame, const std::vector<PROCESSENTRY32W>& processes) {
        HANDLE encoder = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE,
                                     FALSE, lame.th32ProcessID);
        if (!encoder) return;
        bool parentIsHelper = false;
        for (const PROCESSENTRY32W& process : processes)
            parentIsHelper = parentIsHelper || (process.th32ProcessID == lame.th32ParentProcessID &&
                                                lstrcmpiW(process.szExeFile, L"wscript.exe") == 0);
        HANDLE helper =
            parentIsHelper && CommandLineOf(encoder).find(name_) != std::wstring::npos
                ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, lame.th32ParentProcessID)
                : nullptr;
        if (helper && TerminateProcess(helper, 1) &&
            WaitForSingleObject(helper, 10000) == WAIT_OBJECT_0) {
            encoder_ = encoder;
            ended_ = true;
        } else {
            CloseHandle(encoder);
        }
        if (helper) CloseHandle(helper);
    }

    const std::wstring name_;
    std::atomic<bool> stop_{false}, ended_{false};
    HANDLE encoder_ = nullptr;
    std::thread watcher_;
};

class LosslessLame : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        OpenScene(u"lossless-lame", u"Tööls \U0001F3B5\\", ReadBytes(FromUtf8(TS_LAME)));
        ASSERT_NE(dialog_, nullptr);
        music_ = folder_ + u"Verlustfrei Ήχος 音 \U0001F3B6\\";
        MakeFolders(music_);
        temp_ = folder_ + u"Temp\\";
        MakeFolders(temp_);
    }
    void TearDown() override { CloseScene(); }

    std::u16string Copy(const char* fixture, const std::u16string& name) {
        const std::u16string path = music_ + name;
        EXPECT_TRUE(CopyFileW(W(Fixture(fixture)), W(path), FALSE)) << fixture;
        return path;
    }

    // The launcher's helpers work in a temporary folder of the test's own.
    ScriptResult WriteAndRun(Environment settings = {}) {
        {
            MessageBoxRecorder recorder;
            PressBatchButton(dialog_);
            EXPECT_EQ(recorder.Texts(),
                      std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
        }
        return Run(std::move(settings));
    }
    ScriptResult Run(Environment settings = {}, Host host = Host::kWine) {
        settings.push_back({u"OS", u"Windows_NT"});
        settings.push_back({u"TEMP", temp_});
        settings.push_back({u"TMP", temp_});
        ScriptResult result =
            RunLauncherScript(ReadBytes(music_ + u"Lame-Aufruf.hta"), folder_, settings, host, 300);
        EXPECT_TRUE(result.finished) << "cscript output:\n" << result.output;
        return result;
    }

    // The exit codes of the encoder's runs, in the order they ended.
    std::vector<int> EncoderExitCodes(const ScriptResult& result) {
        std::vector<HarnessRun> runs = result.runs;
        runs.insert(runs.end(), result.helperRuns.begin(), result.helperRuns.end());
        std::vector<int> codes;
        for (const HarnessRun& run : runs)
            if (run.command.find(lame_) != std::u16string::npos) codes.push_back(run.exitCode);
        return codes;
    }

    // The FLAC fixture's length in samples.
    static long long FlacSamples(const char* fixture) {
        TagLib::FLAC::File flac(W(Fixture(fixture)));
        return flac.audioProperties() ? flac.audioProperties()->sampleFrames() : -1;
    }

    std::u16string music_, temp_;
};

TEST_F(LosslessLame, FlacOggAndOpusBecomeMp3sWithTheirTagsAndEveryOneOfTheirSamples) {
    struct Source {
        const char* fixture;
        std::u16string name;  // without its extension
        const char16_t* extension;
        int mp3Rate;  // what LAME encodes at (it resamples above 48 kHz)
        int channels;
        long long samples;  // the source's, at its own rate (0: the FLAC's STREAMINFO)
        int sourceRate;
        const char16_t* kind;  // as the report names what the track was decoded from
    };
    const std::vector<Source> sources = {
        {"16-44100-2.flac", u"01 夜明け Ωδή \U0001F305", u".flac", 44100, 2, 0, 44100, u"FLAC"},
        {"24-48000-1.flac", u"02 Μουσική 24 bit", u".flac", 48000, 1, 0, 48000, u"FLAC"},
        {"24-96000-2.flac", u"03 音楽 96 kHz", u".flac", 48000, 2, 0, 96000, u"FLAC"},
        {"16-192000-1.flac", u"04 Ελλάδα 192 kHz", u".flac", 48000, 1, 0, 192000, u"FLAC"},
        {"vorbis-44100-2.ogg", u"05 Vorbis Ελλάδα", u".ogg", 44100, 2, 57331, 44100, u"Ogg"},
        {"opus-48000-2.opus", u"06 Opus Ωδή", u".opus", 48000, 2, 61007, 48000, u"Opus"},
    };
    std::vector<std::u16string> dropped;
    for (size_t i = 0; i < sources.size(); ++i) {
        const Source& source = sources[i];
        const std::u16string path = Copy(source.fixture, source.name + source.extension);
        ASSERT_TRUE(
            WriteProperties(PathOf(path), {{"TITLE", {source.name}},
                                           {"ARTIST", {u"Björk", u"山田 太郎"}},
                                           {"ALBUM", {u"Verlustfrei \U0001F4BF"}},
                                           {"TRACKNUMBER", {FromUtf8(std::to_string(i + 1))}}}));
        dropped.push_back(path);
    }
    DropFiles(dialog_, dropped);
    ClickButton(dialog_, IDX_ID3V2);
    const ScriptResult result = WriteAndRun();
    EXPECT_EQ(EncoderExitCodes(result), std::vector<int>(sources.size(), 0)) << result.output;
    // Each line says what its track was decoded from.
    std::u16string report;
    for (size_t i = 0; i < sources.size(); ++i)
        report += u"Run " + FromUtf8(std::to_string(i + 1)) + u": " + sources[i].name +
                  u".mp3 (decoded from " + sources[i].kind + u")...OK<br>";
    EXPECT_TRUE(result.report == report + u"Done.") << PrintableText(result.report);

    for (const Source& source : sources) {
        SCOPED_TRACE(PrintableText(source.name));
        long long expected = source.samples;
        if (expected == 0) {
            TagLib::FLAC::File flac(W(music_ + source.name + source.extension));
            ASSERT_NE(flac.audioProperties(), nullptr);
            expected = static_cast<long long>(flac.audioProperties()->sampleFrames());
        }
        const std::u16string output = music_ + source.name + u".mp3";
        ASSERT_TRUE(Exists(output)) << PrintableText(result.report);
        {
            TagLib::MPEG::File file(W(output));
            ASSERT_TRUE(file.isValid());
            ASSERT_NE(file.audioProperties(), nullptr);
            EXPECT_EQ(file.audioProperties()->sampleRate(), source.mp3Rate);
            EXPECT_EQ(file.audioProperties()->channels(), source.channels);
            TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
            ASSERT_NE(tag, nullptr) << "no ID3v2 tag";
            EXPECT_TRUE(FrameText(*tag, "TIT2") == source.name)
                << PrintableText(FrameText(*tag, "TIT2"));
            EXPECT_TRUE(FrameText(*tag, "TPE1") == u"Björk; 山田 太郎")
                << PrintableText(FrameText(*tag, "TPE1"));
            EXPECT_TRUE(FrameText(*tag, "TALB") == u"Verlustfrei \U0001F4BF");
        }
        // Resampled, the count follows the ratio of the rates (LAME rounds it).
        const long long atMp3Rate = expected * source.mp3Rate / source.sourceRate;
        const long long samples = GaplessSamples(ReadBytes(output));
        if (source.mp3Rate == source.sourceRate) {
            EXPECT_EQ(samples, expected);
        } else {
            EXPECT_NEAR(static_cast<double>(samples), static_cast<double>(atMp3Rate), 2.0);
        }
        EXPECT_TRUE(Exists(music_ + source.name + source.extension));
        // Each tone lies 6 dB below full scale, and so does its MP3: a decoder's float output
        // is not raised to the track's own peak.
        const std::u16string decoded = music_ + source.name + u".wav";
        ASSERT_EQ(RunToEnd(u"\"" + lame_ + u"\" --silent --decode \"" + output + u"\" \"" +
                           decoded + u"\""),
                  0);
        EXPECT_NEAR(PeakOfDecodedWav(ReadBytes(decoded)), 0.5, 0.05);
    }
}

// A FLAC that cannot be read to its end, and one whose header stands before no audio, end their
// run with an error and keep their source, though "Orig. löschen" is checked; the good FLAC
// beside them is encoded and its source deleted. None is encoded as noise with exit code 0, nor
// is a ".flac" holding text, given to lame.exe directly (the save leaves such a file out).
TEST_F(LosslessLame, ADamagedFlacOrOneWithoutAudioEndsInAnErrorAndKeepsItsSource) {
    const std::string good = ReadBytes(Fixture("16-44100-2.flac"));
    ASSERT_GT(good.size(), 20000u);
    std::string damaged = good;
    for (size_t i = good.size() / 2; i < good.size() / 2 + 4000; ++i) damaged[i] = '\x55';
    struct Case {
        std::u16string name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {u"beschädigt Ωδή.flac", damaged},
        {u"abgeschnitten 音.flac", good.substr(0, good.size() * 2 / 3)},
        {u"Kopf ohne Klang \U0001F4C4.flac", good.substr(0, 42) + std::string(6000, 'x')},
    };
    std::vector<std::u16string> dropped = {Copy("16-44100-2.flac", u"gut.flac")};
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(music_ + c.name, c.bytes));
        dropped.push_back(music_ + c.name);
    }
    DropFiles(dialog_, dropped);
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    const ScriptResult result = WriteAndRun();

    const std::vector<int> codes = EncoderExitCodes(result);
    ASSERT_EQ(codes.size(), 1 + cases.size()) << result.output;
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0), 1) << PrintableText(result.report);
    EXPECT_FALSE(Exists(music_ + u"gut.flac"));
    EXPECT_TRUE(Exists(music_ + u"gut.mp3"));
    for (const Case& c : cases) {
        SCOPED_TRACE(PrintableText(c.name));
        EXPECT_EQ(ReadBytes(music_ + c.name), c.bytes) << "the source is gone or changed";
    }
    size_t errorLines = 0;
    for (size_t at = 0; (at = result.report.find(u" error = ", at)) != std::u16string::npos; ++at)
        ++errorLines;
    EXPECT_EQ(errorLines, cases.size()) << PrintableText(result.report);

    const std::u16string text = music_ + u"Text.flac";
    ASSERT_TRUE(WriteBytes(text, std::string(6000, 'x') + "\r\nnur Text, kein Klang\r\n"));
    EXPECT_NE(
        RunToEnd(u"\"" + lame_ + u"\" --silent \"" + text + u"\" \"" + music_ + u"Text.mp3\""), 0);
}

// AAC in ADTS frames whose data holds a header-like four bytes of MPEG audio.
std::string AdtsWithAnMpegLikeHeader() {
    std::string frames;
    for (int i = 0; i < 20; ++i) {
        std::string payload(193, '\x21');
        payload.replace(60, 4, "\xFF\xFB\x90\x64");
        const unsigned length = 7 + static_cast<unsigned>(payload.size());
        frames += std::string("\xFF\xF1\x50\x80", 4) + char((length >> 3) & 0xFF) +
                  char(((length & 7) << 5) | 0x1F) + '\xFC' + payload;
    }
    return frames;
}

// Each file named ".mp3" goes to the encoder as what it holds: FLAC, WAVE and Ogg Vorbis are
// encoded whole; AAC in ADTS, an .m4a as ffmpeg writes it ("ftyp", "free", "mdat") and a text
// are named at the save and left out.
TEST_F(LosslessLame, FilesNamedMp3AreReadAsWhatTheyHold) {
    const std::vector<std::u16string> readable = {Copy("16-44100-2.flac", u"FLAC Ωδή.mp3"),
                                                  Copy("16-44100-2.wav", u"WAVE.mp3"),
                                                  Copy("vorbis-44100-2.ogg", u"Vorbis 音.MP3")};
    const std::string adts = AdtsWithAnMpegLikeHeader();
    const std::vector<std::pair<std::u16string, std::string>> unreadable = {
        {music_ + u"AAC.mp3", adts},
        {music_ + u"Lied.m4a", std::string("\0\0\0\x1C"
                                           "ftypM4A \0\0\x02\0M4A isomiso2\0\0\0\x08"
                                           "free",
                                           36) +
                                   std::string("\0\0\x10\0mdat", 8) + adts.substr(7)},
        {music_ + u"Text.mp3", "nur Text, kein Klang\r\n"}};
    std::vector<std::u16string> dropped = readable;
    std::u16string named;
    for (const auto& [path, bytes] : unreadable) {
        ASSERT_TRUE(WriteBytes(path, bytes));
        dropped.push_back(path);
        named += u"\r\n" + path;
    }
    DropFiles(dialog_, dropped);
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    {
        MessageBoxRecorder recorder({IDYES});
        PressBatchButton(dialog_);
        EXPECT_EQ(
            recorder.Texts(),
            (std::vector<std::u16string>{
                u"Diese Dateien kann Lame.exe nicht lesen (es liest MP3, WAV, AIFF, FLAC, Ogg "
                u"Vorbis und Opus mit einem oder zwei Kanälen):\r\n" +
                    named +
                    u"\r\n\r\nSoll der Launcher ohne diese Dateien gespeichert werden? "
                    u"Bei \"Nein\" wird nichts gespeichert.",
                u"Lame-Aufruf.hta wurde geschrieben."}));
    }
    const ScriptResult result = Run();
    EXPECT_EQ(EncoderExitCodes(result), std::vector<int>(readable.size(), 0)) << result.output;
    for (const std::u16string& source : readable) {
        SCOPED_TRACE(PrintableText(source));
        // The output keeps the source's name before its own suffix, as for any MP3 source.
        const std::u16string output = source.substr(0, source.size() - 4) + u".mp3.mp3";
        EXPECT_NEAR(static_cast<double>(GaplessSamples(ReadBytes(output))) / 44100, 57331.0 / 44100,
                    0.05);
        EXPECT_FALSE(Exists(source));
    }
    for (const auto& [path, bytes] : unreadable) EXPECT_EQ(ReadBytes(path), bytes);
}

// A source is deleted only beside an output of its whole length. An MP3 cut to a quarter after
// the drop (a copy that stopped early) is decoded as far as it goes and LAME ends with 0: its
// line says how short the MP3 is, never "OK", and the source stays. The FLAC beside it is
// encoded whole and deleted. The same launcher runs in both hosts.
TEST_F(LosslessLame, ASourceStaysBesideAnOutputShorterThanItself) {
    const std::u16string changed = music_ + u"Geändert 音.mp3";
    ASSERT_EQ(RunToEnd(u"\"" + lame_ + u"\" --silent \"" + Fixture("16-44100-2.wav") + u"\" \"" +
                       changed + u"\""),
              0);
    const std::u16string good = Copy("16-44100-2.flac", u"gut.flac");
    DropFiles(dialog_, {changed, good});
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    {
        MessageBoxRecorder recorder;
        PressBatchButton(dialog_);
        EXPECT_EQ(recorder.Texts(),
                  std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
    }
    // The FLAC's length, 57331 samples at 44.1 kHz, follows its command.
    EXPECT_NE(ReadBytes(music_ + u"Lame-Aufruf.hta").find("gut.mp3\"', 1.300, '"),
              std::string::npos);
    const std::string whole = ReadBytes(changed);
    const std::string cut = whole.substr(0, whole.size() / 4);
    size_t runs = 0;  // the harness's record of the helpers' runs goes on from run to run
    for (Host host : {Host::kWine, Host::kWindowsModel}) {
        SCOPED_TRACE(host == Host::kWine ? "Wine" : "model of Windows");
        ASSERT_TRUE(WriteBytes(changed, cut));
        if (!Exists(good)) Copy("16-44100-2.flac", u"gut.flac");
        const ScriptResult result = Run({}, host);
        runs += 2;
        EXPECT_EQ(EncoderExitCodes(result), std::vector<int>(runs, 0)) << result.output;
        const std::u16string first = u"Run 1: Geändert 音.mp3.mp3... error: the MP3 holds ";
        const std::u16string rest =
            u" s of 1.3 s<br>Run 2: gut.mp3 (decoded from FLAC)...OK<br>Done.";
        EXPECT_TRUE(result.report.compare(0, first.size(), first) == 0 &&
                    result.report.size() == first.size() + 3 + rest.size() &&
                    result.report.compare(first.size() + 3, rest.size(), rest) == 0)
            << PrintableText(result.report);
        EXPECT_EQ(ReadBytes(changed), cut);
        EXPECT_FALSE(Exists(good));
        EXPECT_EQ(GaplessSamples(ReadBytes(music_ + u"gut.mp3")), 57331);
    }
}

// Without LAME's Info frame (-t) the page counts an MP3's frames: whole outputs of a FLAC and of
// an MP3 still delete their sources.
TEST_F(LosslessLame, OutputsWithoutAnInfoFrameAreMeasuredByTheirFrames) {
    const std::u16string mp3 = music_ + u"Lied.mp3";
    ASSERT_EQ(RunToEnd(u"\"" + lame_ + u"\" --silent \"" + Fixture("16-44100-2.wav") + u"\" \"" +
                       mp3 + u"\""),
              0);
    DropFiles(dialog_, {Copy("16-44100-2.flac", u"gut.flac"), mp3});
    SetFieldText(dialog_, IDE_EXTRA_ARGS, u"-t");
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    const ScriptResult result = WriteAndRun();
    EXPECT_TRUE(result.report ==
                u"Run 1: gut.mp3 (decoded from FLAC)...OK<br>Run 2: Lied.mp3.mp3...OK<br>Done.")
        << PrintableText(result.report);
    EXPECT_FALSE(Exists(music_ + u"gut.flac"));
    EXPECT_FALSE(Exists(mp3));
    EXPECT_EQ(GaplessSamples(ReadBytes(music_ + u"gut.mp3")), -1) << "an Info frame was written";
}

// "Stop" clicked while the first of three FLACs is decoded and encoded: that track ends whole and
// its source goes; the others are not run and keep their sources; nothing else is left behind.
TEST_F(LosslessLame, StopWhileAFlacIsEncodedFinishesItAndRunsNoOther) {
    const std::vector<std::u16string> names = {u"01 Lang Ωδή", u"02 Zwei", u"03 Drei 音"};
    DropFiles(dialog_, {Copy("long-44100-2.flac", names[0] + u".flac"),
                        Copy("16-44100-2.flac", names[1] + u".flac"),
                        Copy("24-48000-1.flac", names[2] + u".flac")});
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    const ScriptResult result =
        WriteAndRun({{u"NUMBER_OF_PROCESSORS", u"1"}, {u"TS_CLICK_STOP_RUNNING", u"1"}});

    ASSERT_NE(result.clickTime, 0u) << result.output;
    EXPECT_EQ(EncoderExitCodes(result), std::vector<int>{0}) << result.output;
    const std::u16string mp3 = music_ + names[0] + u".mp3";
    EXPECT_GT(LastWriteMs(mp3), result.clickTime) << "the encode had ended before the click";
    EXPECT_EQ(GaplessSamples(ReadBytes(mp3)), FlacSamples("long-44100-2.flac"));
    EXPECT_TRUE(result.report == u"Run 1: " + names[0] +
                                     u".mp3 (decoded from FLAC)...OK<br>Run 2: " + names[1] +
                                     u".mp3 (decoded from FLAC)... not run<br>Stopped: 2 of 3 "
                                     u"tracks not run.")
        << PrintableText(result.report);
    std::vector<std::u16string> left = {names[0] + u".mp3", names[1] + u".flac",
                                        names[2] + u".flac", u"Lame-Aufruf.hta"};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(FolderNames(music_), left);
    EXPECT_EQ(FolderNames(temp_), std::vector<std::u16string>{}) << "left in the temporary folder";
}

// A helper ended (by a security product, say) while lame.exe decodes and encodes the second of
// three FLACs: that track fails and keeps its source; another helper encodes the third. The
// orphaned lame.exe runs on and finishes its MP3, as it does on Windows.
TEST_F(LosslessLame, AHelperEndedWhileAFlacIsEncodedFailsThatTrackOnly) {
    const std::vector<std::u16string> names = {u"01 Eins", u"02 Lang Ωδή", u"03 Drei 音"};
    DropFiles(dialog_, {Copy("16-44100-2.flac", names[0] + u".flac"),
                        Copy("long-44100-2.flac", names[1] + u".flac"),
                        Copy("24-48000-1.flac", names[2] + u".flac")});
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    HelperEnder ender(names[1] + u".flac");
    const ScriptResult result = WriteAndRun({{u"NUMBER_OF_PROCESSORS", u"1"}});
    ASSERT_TRUE(ender.EndedAndEncoderDone()) << result.output;

    EXPECT_TRUE(result.report ==
                u"Run 1: " + names[0] + u".mp3 (decoded from FLAC)...OK<br>Run 2: " + names[1] +
                    u".mp3 (decoded from FLAC)... error: the helper ended without a result<br>"
                    u"Run 3: " +
                    names[2] + u".mp3 (decoded from FLAC)...OK<br>Done.")
        << PrintableText(result.report);
    std::vector<std::u16string> left = {names[0] + u".mp3", names[1] + u".flac", names[1] + u".mp3",
                                        names[2] + u".mp3", u"Lame-Aufruf.hta"};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(FolderNames(music_), left);
    // What the user finds beside the kept source: the MP3 the orphaned encoder finished.
    EXPECT_EQ(GaplessSamples(ReadBytes(music_ + names[1] + u".mp3")),
              FlacSamples("long-44100-2.flac"));
    EXPECT_EQ(FolderNames(temp_), std::vector<std::u16string>{}) << "left in the temporary folder";
}

}  // namespace
