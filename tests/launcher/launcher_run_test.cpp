// End to end: the real dialog writes a launcher, Wine's script host runs its page script,
// and a stand-in encoder records the arguments it receives. Every path and tag value must
// arrive exactly as the user gave it.
#include <gtest/gtest.h>

#include "gui/batch_dialog.h"
#include "gui/batch_fixtures.h"
#include "gui/harness.h"
#include "gui/message_box_hook.h"
#include "launcher/launcher_script.h"
#include "resources/control_ids.h"

using namespace batch;

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

class LauncherRun : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = MakeScratchFolder(u"e2e");
        // The encoder's own path is as awkward as the tracks'.
        const std::u16string tools = folder_ + u"Tööls & 100% 'x' \U0001F3B5\\";
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
        ScriptResult result = RunLauncherScript(ReadBytes(launcher), folder_, settings);
        EXPECT_TRUE(result.finished) << "cscript output:\n" << result.output;
        return result;
    }

    std::vector<Arguments> EncoderRuns() { return ReadStandInLog(log_); }

    std::u16string folder_, lame_, log_;
    HWND dialog_ = nullptr;
};

TEST_F(LauncherRun, EveryPathAndTagValueArrivesExactly) {
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
    // Single percent signs, and a variable's name in percent signs: Wine's WScript.Shell
    // passes it on as it stands (Windows' would put the variable's value in).
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
    auto expect = [&](Arguments track) {
        Arguments all = common;
        all.insert(all.end(), track.begin(), track.end());
        return all;
    };
    const std::u16string base = folder_ + u"a&b 100%\\Grüße \U0001F3B5 it''s";
    const std::vector<Arguments> expected{
        expect({u"--add-id3v2", u"--tt", title, u"--ta", u"AC\\DC", u"--mp3input", intro,
                intro + u".mp3"}),
        expect({u"--add-id3v2", u"--tl", album, u"--ty", u"1999", u"--tn", u"2/12", u"--tg", genre,
                u"--tc", comment, u"--ogginput", greeting, base + u".mp3"}),
        expect({u"--add-id3v2", u"--ta", u"AC\\", wave, folder_ + u"Musik\\b.mp3"}),
        expect({u"--add-id3v2", readme, readme + u".mp3"}),
        expect({u"--add-id3v2", dotted, dotted + u".mp3"}),
    };
    const std::vector<Arguments> received = EncoderRuns();
    ASSERT_EQ(received.size(), expected.size()) << result.output;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("track " + std::to_string(i));
        // Compared unit for unit: the shown form cannot tell a lone surrogate from U+FFFD.
        EXPECT_TRUE(received[i] == expected[i])
            << "received " << Shown(received[i]) << "\nexpected " << Shown(expected[i]);
    }
    // Nothing is deleted without "Orig. löschen"; the report names each output.
    for (const auto& source : {intro, greeting, wave, readme, dotted}) EXPECT_TRUE(Exists(source));
    const std::u16string report = result.report;
    // (The report's pattern stops at the line separator in track 2's comment, so that line
    // shows more than the file name.)
    for (const char16_t* shown :
         {u"Run 1: 01 Intro.mp3.mp3...OK<br/>\r\nRun 2: ",
          u"\u2028Grüße \U0001F3B5 it''s.mp3...OK<br/>\r\nRun 3: b.mp3...OK",
          u"Run 5: track.mp3...OK<br/>\r\nDone."})
        EXPECT_NE(report.find(shown), std::u16string::npos)
            << PrintableText(shown) << "\nin: " << PrintableText(report);
}

TEST_F(LauncherRun, OriginalsAreDeletedAfterSuccessfulRunsOnly) {
    const std::u16string first = Source(u"Grüße & 100% \U0001F3B5\\it's a^b.wav");
    const std::u16string failing = Source(u"Musik\\fail-me 'x'.mp3");
    const std::u16string last = Source(u"Rock'n'Roll\\01 Intro.ogg");
    DropFiles(dialog_, {first, failing, last});
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);

    const ScriptResult result =
        WriteAndRun(folder_ + u"Grüße & 100% \U0001F3B5\\Lame-Aufruf.hta",
                    {{u"TS_STANDIN_FAIL_ON", u"fail-me"}, {u"TS_STANDIN_FAIL_CODE", u"3"}});
    EXPECT_EQ(EncoderRuns().size(), 3u) << result.output;
    EXPECT_FALSE(Exists(first)) << "deleted after its successful run";
    EXPECT_TRUE(Exists(failing)) << "kept after its failing run";
    EXPECT_FALSE(Exists(last));

    // The deletions are hidden cmd.exe runs with the quoted source, one per success.
    std::vector<std::u16string> deletions;
    for (const HarnessRun& run : result.runs)
        if (run.command.rfind(u"cmd.exe ", 0) == 0) {
            EXPECT_EQ(run.style, 0);
            deletions.push_back(run.command);
        }
    EXPECT_EQ(deletions, (std::vector<std::u16string>{u"cmd.exe /d /c del \"" + first + u"\"",
                                                      u"cmd.exe /d /c del \"" + last + u"\""}));
    EXPECT_NE(result.report.find(u"Run 2: fail-me 'x'.mp3.mp3... error = 3\"" + lame_ + u"\""),
              std::u16string::npos)
        << PrintableText(result.report);
}

TEST_F(LauncherRun, StopEndsTheRunsAndCmdViewShowsTheWindow) {
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
    for (const HarnessRun& run : result.runs)
        if (run.command.rfind(u"cmd.exe ", 0) != 0) {
            EXPECT_EQ(run.style, 4);
        }
    EXPECT_EQ(result.report.find(u"Run 3"), std::u16string::npos);
    EXPECT_EQ(result.report.substr(result.report.size() - 5), u"Done.");
}

TEST_F(LauncherRun, DecodingRunGivesWaveOutputs) {
    const std::u16string mp3 = Source(u"Rock'n'Roll\\01 Intro.mp3");
    const std::u16string mpa = Source(u"Rock'n'Roll\\b.MPA");
    const std::u16string flac = Source(u"Rock'n'Roll\\c.flac");
    DropFiles(dialog_, {mp3, mpa, flac});
    ChooseListEntry(dialog_, IDC_PRESET, 27);  // "Decodieren"

    WriteAndRun(folder_ + u"Rock'n'Roll\\Lame-Aufruf.hta");
    const std::vector<Arguments> received = EncoderRuns();
    ASSERT_EQ(received.size(), 3u);
    const std::u16string folder = folder_ + u"Rock'n'Roll\\";
    EXPECT_EQ(Shown(received[0]), Shown({lame_, u"--priority", u"0", u"--decode", u"--mp3input",
                                         mp3, folder + u"01 Intro.wav"}));
    EXPECT_EQ(Shown(received[1]),
              Shown({lame_, u"--priority", u"0", u"--decode", mpa, folder + u"b.wav"}));
    EXPECT_EQ(Shown(received[2]),
              Shown({lame_, u"--priority", u"0", u"--decode", flac, folder + u"c.mp3"}));
}

}  // namespace
