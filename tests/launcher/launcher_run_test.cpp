// End to end: the real dialog writes a launcher, Wine's script host runs its page script,
// and a stand-in encoder records the arguments it receives. Every path and tag value must
// arrive exactly as the user gave it, exactly the encoded sources are deleted, and the report
// shows what was typed as text. Each test runs in two hosts: with Wine's WScript.Shell, and
// with a model of Windows' one, whose Run replaces %NAME% first and whose process environment
// can be written (launcher_harness.js). For the model, the launcher's one write of a
// parameterised property, which Wine's JScript cannot run, is turned into a call of the model
// before the script runs (RunLauncherScript).
#include <gtest/gtest.h>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "launcher/launcher_script.h"
#include "resources/control_ids.h"
#include "support/files_win.h"

using namespace support;

namespace {

using Arguments = std::vector<std::u16string>;

std::string Shown(const Arguments& arguments) {
    std::string out;
    for (const std::u16string& argument : arguments) {
        out += '[';
        out.append(PrintableText(argument));
        out += "] ";
    }
    return out;
}

// Text as the report's markup shows it.
std::u16string Markup(const std::u16string& text) {
    std::u16string out;
    for (char16_t unit : text) {
        if (unit == u'&')
            out += u"&amp;";
        else if (unit == u'<')
            out += u"&lt;";
        else if (unit == u'>')
            out += u"&gt;";
        else
            out += unit;
    }
    return out;
}

class LauncherRun : public ::testing::TestWithParam<Host> {
  protected:
    void SetUp() override {
        folder_ = MakeScratchFolder(u"e2e");
        // The encoder's own path is as awkward as the tracks'.
        const std::u16string tools = folder_ + u"Tööls & 100% %OS% 'x' \U0001F3B5\\";
        MakeFolders(tools);
        lame_ = tools + u"lame.exe";
        ASSERT_TRUE(CopyFileW(reinterpret_cast<const wchar_t*>(FromUtf8(TS_STAND_IN_LAME).c_str()),
                              reinterpret_cast<const wchar_t*>(lame_.c_str()), FALSE));
        log_ = folder_ + u"stand-in.log";
        dialog_ = OpenFreshDialog();
        ASSERT_NE(dialog_, nullptr);
        SetFieldText(dialog_, IDE_LAME_PATH, lame_);
    }
    void TearDown() override {
        CloseDialog(dialog_);
        RemoveTree(folder_);
    }

    // Source files that exist, so that deleting them can be seen.
    std::u16string Source(const std::u16string& relative) {
        const std::u16string path = folder_ + relative;
        MakeFolders(path.substr(0, path.rfind(u'\\') + 1));
        WriteBytes(path, "audio");
        return path;
    }

    void SetTags(int row, const std::vector<std::pair<int, std::u16string>>& tags) {
        SelectRows(dialog_, {row});
        for (const auto& [field, value] : tags) TypeInto(dialog_, field, value);
    }

    // Writes the launcher through the batch button and runs its script.
    ScriptResult WriteAndRun(const std::u16string& launcher, Environment settings = {}) {
        {
            MessageBoxRecorder recorder;
            PressBatchButton(dialog_);
            EXPECT_EQ(recorder.Texts(),
                      std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
        }
        settings.push_back({u"TS_STANDIN_LOG", log_});
        // As on Windows, where every process has it.
        settings.push_back({u"OS", u"Windows_NT"});
        ScriptResult result = RunLauncherScript(ReadBytes(launcher), folder_, settings, GetParam());
        EXPECT_TRUE(result.finished) << "cscript output:\n" << result.output;
        return result;
    }

    std::vector<Arguments> EncoderRuns() { return ReadStandInLog(log_); }

    // Each run's arguments equal the common ones and its track's, unit for unit.
    void ExpectEncoderRuns(const Arguments& common, const std::vector<Arguments>& tracks,
                           const ScriptResult& result) {
        const std::vector<Arguments> received = EncoderRuns();
        ASSERT_EQ(received.size(), tracks.size()) << result.output;
        for (size_t i = 0; i < tracks.size(); ++i) {
            SCOPED_TRACE("track " + std::to_string(i));
            Arguments expected = common;
            expected.insert(expected.end(), tracks[i].begin(), tracks[i].end());
            // Compared unit for unit: the shown form cannot tell a lone surrogate from U+FFFD.
            EXPECT_TRUE(received[i] == expected)
                << "received " << Shown(received[i]) << "\nexpected " << Shown(expected);
        }
    }

    std::u16string folder_, lame_, log_;
    HWND dialog_ = nullptr;
};

TEST_P(LauncherRun, EveryPathAndTagValueArrivesExactly) {
    const std::u16string intro = Source(u"Rock'n'Roll\\01 Intro.mp3");
    const std::u16string greeting = Source(u"a&b 100%\\Grüße \U0001F3B5 it''s.ogg");
    const std::u16string wave = Source(u"Musik\\b.wav");
    const std::u16string readme = Source(u"Musik\\README");
    const std::u16string dotted = Source(u"My.Music\\track");
    DropFiles(dialog_, {intro, greeting, wave, readme, dotted});
    ClickButton(dialog_, IDX_ID3V2);
    SetFieldText(dialog_, IDE_EXTRA_ARGS, u"--resample 44.1 --tv \"TXXX=Quelle=C:\\CD\"");

    const std::u16string title = u"\\start mid\\dle \"live\" end\\";
    const std::u16string album = u"two\\\\ and \\\"quoted\\\" \\\\\"x";
    const std::u16string comment = u"</script> it's & 50% %TEMP% ^ | <b> \u2028 \\'";
    // A surrogate without its partner arrives as the very unit it is.
    const std::u16string genre = u"Hörspiel \U0001F600 \xDC00";
    SetTags(0, {{IDE_TITLE, title}, {IDE_ARTIST, u"AC\\DC"}});
    SetTags(1, {{IDE_ALBUM, album},
                {IDE_YEAR, u"1999"},
                {IDE_TRACK_NUMBER, u"2/12"},
                {IDE_GENRE, genre},
                {IDE_COMMENT, comment}});
    SetTags(2, {{IDE_ARTIST, u"AC\\"}});

    const ScriptResult result = WriteAndRun(folder_ + u"Rock'n'Roll\\Lame-Aufruf.hta");
    const Arguments common{lame_, u"--priority", u"0",    u"-b",   u"128",
                           u"-h", u"--resample", u"44.1", u"--tv", u"TXXX=Quelle=C:\\CD"};
    const std::u16string base = folder_ + u"a&b 100%\\Grüße \U0001F3B5 it''s";
    ExpectEncoderRuns(common,
                      {{u"--add-id3v2", u"--tt", title, u"--ta", u"AC\\DC", u"--mp3input", intro,
                        intro + u".mp3"},
                       {u"--add-id3v2", u"--tl", album, u"--ty", u"1999", u"--tn", u"2/12", u"--tg",
                        genre, u"--tc", comment, u"--ogginput", greeting, base + u".mp3"},
                       {u"--add-id3v2", u"--ta", u"AC\\", wave, folder_ + u"Musik\\b.mp3"},
                       {u"--add-id3v2", readme, readme + u".mp3"},
                       {u"--add-id3v2", dotted, dotted + u".mp3"}},
                      result);
    // Nothing is deleted without "Orig. löschen"; the report names each output.
    for (const auto& source : {intro, greeting, wave, readme, dotted}) EXPECT_TRUE(Exists(source));
    const std::u16string report = result.report;
    // (The report's pattern stops at the line separator in track 2's comment, so that line
    // shows more than the file name.)
    for (const char16_t* shown : {u"Run 1: 01 Intro.mp3.mp3...OK<br>Run 2: ",
                                  u"\u2028Grüße \U0001F3B5 it''s.mp3...OK<br>Run 3: b.mp3...OK",
                                  u"Run 5: track.mp3...OK<br>Done."})
        EXPECT_NE(report.find(shown), std::u16string::npos)
            << PrintableText(shown) << "\nin: " << PrintableText(report);
}

// Windows' Run replaces %NAME% of every defined variable in a command, without regard to case
// and with no escape; cmd.exe would also take ! and ^. None of that may reach the encoder.
TEST_P(LauncherRun, PercentSignsAndVariableNamesArriveUnchanged) {
    const std::u16string source =
        Source(u"%OS% %os% 100% %% !OS! ^\\%TEMP% %UNDEFINED%OS% %TONSCHLEUDER_PROZENT%.wav");
    DropFiles(dialog_, {source});
    SetFieldText(dialog_, IDE_EXTRA_ARGS, u"--tv \"TXXX=%OS%%TEMP%%\" --tv \"TXXX=%%os%%\"");
    const std::u16string title = u"%OS% %os% %TEMP% %UNDEFINED% 100% %% !OS! ^";
    const std::u16string artist = u"%TONSCHLEUDER_PROZENT%";
    const std::u16string album = u"%UNDEFINED%OS%";
    const std::u16string comment = u"%%OS%% %tonschleuder_prozent% %%TONSCHLEUDER_PROZENT%%";
    SetTags(0, {{IDE_TITLE, title}, {IDE_ARTIST, artist}, {IDE_ALBUM, album}});
    SetTags(0, {{IDE_COMMENT, comment}, {IDE_GENRE, u"100%"}});

    const ScriptResult result = WriteAndRun(folder_ + u"%OS% %os% 100% %% !OS! ^\\Lame-Aufruf.hta");
    ExpectEncoderRuns({lame_, u"--priority", u"0", u"-b", u"128", u"-h", u"--tv",
                       u"TXXX=%OS%%TEMP%%", u"--tv", u"TXXX=%%os%%"},
                      {{u"--tt", title, u"--ta", artist, u"--tl", album, u"--tg", u"100%", u"--tc",
                        comment, source, source.substr(0, source.size() - 4) + u".mp3"}},
                      result);
    EXPECT_NE(
        result.report.find(u"Run 1: %TEMP% %UNDEFINED%OS% %TONSCHLEUDER_PROZENT%.mp3...OK<br>"),
        std::u16string::npos)
        << PrintableText(result.report);
}

TEST_P(LauncherRun, OriginalsAreDeletedExactlyAfterSuccessfulRunsOnly) {
    const std::u16string folder = u"Grüße & 100% \U0001F3B5\\";
    const std::u16string first = Source(folder + u"%OS% !OS! & it's a^b.wav");
    // What cmd.exe would have deleted after expanding the name (with and without delayed
    // expansion), and what Windows' Run would have named.
    const std::u16string expanded[] = {Source(folder + u"Windows_NT !OS! & it's a^b.wav"),
                                       Source(folder + u"Windows_NT Windows_NT & it's a^b.wav")};
    const std::u16string failing = Source(u"Musik\\fail-me 'x'.mp3");
    const std::u16string readOnly = Source(u"Musik\\read-only.wav");
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<const wchar_t*>(readOnly.c_str()),
                                   FILE_ATTRIBUTE_READONLY));
    const std::u16string last = Source(u"Rock'n'Roll\\01 Intro.ogg");
    DropFiles(dialog_, {first, failing, readOnly, last});
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);

    const ScriptResult result =
        WriteAndRun(folder_ + folder + u"Lame-Aufruf.hta",
                    {{u"TS_STANDIN_FAIL_ON", u"fail-me"}, {u"TS_STANDIN_FAIL_CODE", u"3"}});
    EXPECT_EQ(EncoderRuns().size(), 4u) << result.output;
    EXPECT_FALSE(Exists(first)) << "deleted after its successful run";
    for (const std::u16string& other : expanded) EXPECT_TRUE(Exists(other)) << Utf8(other);
    EXPECT_TRUE(Exists(failing)) << "kept after its failing run";
    EXPECT_TRUE(Exists(readOnly)) << "deleted without force";
    EXPECT_FALSE(Exists(last)) << "the tracks after a kept source go on";

    // Nothing but the encoder runs: no cmd.exe.
    ASSERT_EQ(result.runs.size(), 4u);
    for (const HarnessRun& run : result.runs)
        EXPECT_EQ(run.command.rfind(u"\"" + lame_ + u"\"", 0), 0u) << PrintableText(run.command);
    for (const std::u16string& line :
         {u"Run 1: %OS% !OS! &amp; it's a^b.mp3...OK<br>Run 2: fail-me 'x'.mp3.mp3... error = 3\"" +
              Markup(lame_) + u"\"",
          u"Run 3: read-only.mp3...OK, source not deleted: " + readOnly +
              u"<br>Run 4: 01 Intro.mp3...OK<br>Done."})
        EXPECT_NE(result.report.find(line), std::u16string::npos)
            << PrintableText(line) << "\nin: " << PrintableText(result.report);
}

// A tag shows in the report only in a failed run's command: as the text typed, never markup.
TEST_P(LauncherRun, TagsInTheReportAreText) {
    const std::u16string source = Source(u"Musik\\a.wav");
    DropFiles(dialog_, {source});
    SetTags(0, {{IDE_TITLE, u"<img src=x onerror=\"alert(1)\">"},
                {IDE_ARTIST, u"<b>Live <Berlin> &amp; <3"}});

    const ScriptResult result =
        WriteAndRun(folder_ + u"Musik\\Lame-Aufruf.hta", {{u"TS_STANDIN_EXIT", u"2"}});
    EXPECT_EQ(result.report,
              u"Run 1: a.mp3... error = 2\"" + Markup(lame_) +
                  u"\" --priority 0 -b 128 -h --tt \"&lt;img src=x onerror=\"\"alert(1)\"\"&gt;\" "
                  u"--ta \"&lt;b&gt;Live &lt;Berlin&gt; &amp;amp; &lt;3\" \"" +
                  source + u"\" \"" + folder_ + u"Musik\\a.mp3\"<br>Done.");
}

TEST_P(LauncherRun, StopEndsTheRunsAndCmdViewShowsTheWindow) {
    std::vector<std::u16string> sources;
    for (const char16_t* name : {u"1.wav", u"2.wav", u"3.wav", u"4.wav"})
        sources.push_back(Source(name));
    DropFiles(dialog_, sources);
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);

    const ScriptResult result = WriteAndRun(folder_ + u"Lame-Aufruf.hta",
                                            {{u"TS_STOP_AFTER", u"2"}, {u"TS_CMD_VIEW", u"1"}});
    const std::vector<Arguments> received = EncoderRuns();
    ASSERT_EQ(received.size(), 2u) << result.output;
    EXPECT_EQ(received[1].back(), folder_ + u"2.mp3");
    // "Stop" was checked after the second run: its source is still deleted, the rest stay.
    EXPECT_FALSE(Exists(sources[0]));
    EXPECT_FALSE(Exists(sources[1]));
    EXPECT_TRUE(Exists(sources[2]));
    EXPECT_TRUE(Exists(sources[3]));
    for (const HarnessRun& run : result.runs) EXPECT_EQ(run.style, 4);
    EXPECT_EQ(result.report, u"Run 1: 1.mp3...OK<br>Run 2: 2.mp3...OK<br>Done.");
}

TEST_P(LauncherRun, DecodingRunGivesWaveOutputs) {
    const std::u16string mp3 = Source(u"Rock'n'Roll\\01 Intro.mp3");
    const std::u16string mpa = Source(u"Rock'n'Roll\\b.MPA");
    const std::u16string flac = Source(u"Rock'n'Roll\\c.flac");
    DropFiles(dialog_, {mp3, mpa, flac});
    ChooseListEntry(dialog_, IDC_PRESET, 27);  // "Decodieren"

    const ScriptResult result = WriteAndRun(folder_ + u"Rock'n'Roll\\Lame-Aufruf.hta");
    const std::u16string folder = folder_ + u"Rock'n'Roll\\";
    ExpectEncoderRuns({lame_, u"--priority", u"0", u"--decode"},
                      {{u"--mp3input", mp3, folder + u"01 Intro.wav"},
                       {mpa, folder + u"b.wav"},
                       {flac, folder + u"c.mp3"}},
                      result);
    // The hidden window, and the report as the old launcher showed it.
    for (const HarnessRun& run : result.runs) EXPECT_EQ(run.style, 0);
    EXPECT_EQ(result.report,
              u"Run 1: 01 Intro.wav...OK<br>Run 2: b.wav...OK<br>Run 3: c.mp3...OK<br>Done.");
}

INSTANTIATE_TEST_SUITE_P(Hosts, LauncherRun, ::testing::Values(Host::kWine, Host::kWindowsModel),
                         [](const ::testing::TestParamInfo<Host>& info) {
                             return info.param == Host::kWine ? "Wine" : "WindowsModel";
                         });

}  // namespace
