// End to end: the real dialog writes a launcher, Wine's script host runs its page script in
// turns as an HTML Application host does (launcher_harness.js), and a stand-in encoder
// records the arguments it receives. Every path and tag value must arrive exactly as the user
// gave it, exactly the encoded sources are deleted, the report shows what was typed as text,
// and the page stays live: progress between turns, "Stop" taken at a turn boundary, one
// encode per processor through helper scripts, and encoding in the page where none can run.
// Each test runs in two hosts: with Wine's WScript.Shell, and with a model of Windows' one,
// whose Run replaces %NAME% first and whose process environment can be written; helpers run
// under the same model. And each runs on two pages: the built-in one, and the sample template
// of the release beside the program, which is made from it with a look of its own. For the model,
// the launcher's one write of a parameterised property, which Wine's JScript cannot run, is turned
// into a call of the model before the script runs (RunLauncherScript).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/shell_win.h"
#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "launcher/launcher_script.h"
#include "launcher/launcher_template.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/tagged_files.h"

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

enum class Page { kBuiltIn, kSample };

struct RunParam {
    Host host;
    Page page;
};

// The template file the program takes in place of its built-in page.
std::u16string TemplateBesideProgram() {
    wchar_t program[MAX_PATH];
    const std::u16string self(reinterpret_cast<const char16_t*>(program),
                              GetModuleFileNameW(nullptr, program, MAX_PATH));
    return self.substr(0, self.rfind(u'\\') + 1) + u"Tonschleuder-Vorlage.htm";
}

class LauncherRun : public ::testing::TestWithParam<RunParam>, protected LauncherScene {
  protected:
    void SetUp() override {
        // The encoder's own path is as awkward as the tracks'.
        OpenScene(u"e2e", u"Tööls & 100% %OS% 'x' \U0001F3B5\\",
                  ReadBytes(FromUtf8(TS_STAND_IN_LAME)));
        ASSERT_NE(dialog_, nullptr);
        log_ = folder_ + u"stand-in.log";
        temp_ = folder_ + u"Temp\\";
        MakeFolders(temp_);
        if (GetParam().page == Page::kSample) {
            ASSERT_TRUE(WriteBytes(TemplateBesideProgram(), PageText()));
        }
    }
    void TearDown() override {
        DeleteFileW(reinterpret_cast<const wchar_t*>(TemplateBesideProgram().c_str()));
        CloseScene();
    }

    Host host() const { return GetParam().host; }

    // The page's template: the built-in one or the sample.
    static std::string PageText() {
        return GetParam().page == Page::kSample ? ReadBytes(FromUtf8(TS_SAMPLE_TEMPLATE))
                                                : std::string(kBuiltInLauncherTemplate);
    }

    // Source files that exist, so that deleting them can be seen.
    std::u16string Source(const std::u16string& relative) {
        const std::u16string path = folder_ + relative;
        MakeFolders(path.substr(0, path.rfind(u'\\') + 1));
        WriteBytes(path, AudioBytes("audio"));
        return path;
    }

    void SetTags(int row, const std::vector<std::pair<int, std::u16string>>& tags) {
        SelectRows(dialog_, {row});
        for (const auto& [field, value] : tags) TypeInto(dialog_, field, value);
    }

    // Writes the launcher through the batch button and runs its script. Its helpers work in
    // a temporary folder of the test's own, which must be empty again at the end (unless the
    // window was closed mid-batch).
    ScriptResult WriteAndRun(const std::u16string& launcher, Environment settings = {},
                             bool closed = false) {
        {
            MessageBoxRecorder recorder;
            PressBatchButton(dialog_);
            EXPECT_EQ(recorder.Texts(),
                      std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
        }
        settings.push_back({u"TS_STANDIN_LOG", log_});
        // As on Windows, where every process has it.
        settings.push_back({u"OS", u"Windows_NT"});
        settings.push_back({u"TEMP", temp_});
        settings.push_back({u"TMP", temp_});
        ScriptResult result = RunLauncherScript(ReadBytes(launcher), folder_, settings, host());
        EXPECT_TRUE(result.finished) << "cscript output:\n" << result.output;
        if (!closed) {
            EXPECT_EQ(FolderNames(temp_), std::vector<std::u16string>{})
                << "left in the temporary folder";
        }
        return result;
    }

    std::vector<Arguments> EncoderRuns() { return ReadStandInLog(log_); }

    // A fresh dialog for the next case of a table, with this encoder, no tracks in "Musik"
    // and an empty encoder log.
    void StartOver(const std::u16string& lame) {
        RemoveTree(folder_ + u"Musik\\");
        DeleteFileW(reinterpret_cast<const wchar_t*>(log_.c_str()));
        CloseDialog(dialog_);
        dialog_ = OpenFreshDialog();
        if (dialog_) SetFieldText(dialog_, IDE_LAME_PATH, lame);
    }

    // Each track's run (found by its output, the last argument: runs may end in any order)
    // received the common arguments and the track's, unit for unit.
    void ExpectEncoderRuns(const Arguments& common, const std::vector<Arguments>& tracks,
                           const ScriptResult& result) {
        std::vector<Arguments> received = EncoderRuns();
        ASSERT_EQ(received.size(), tracks.size()) << result.output;
        for (size_t i = 0; i < tracks.size(); ++i) {
            SCOPED_TRACE("track " + std::to_string(i));
            Arguments expected = common;
            expected.insert(expected.end(), tracks[i].begin(), tracks[i].end());
            const auto run = std::find_if(
                received.begin(), received.end(),
                [&](const Arguments& r) { return !r.empty() && r.back() == expected.back(); });
            ASSERT_NE(run, received.end()) << "no run wrote " << PrintableText(expected.back());
            // Compared unit for unit: the shown form cannot tell a lone surrogate from U+FFFD.
            EXPECT_TRUE(*run == expected)
                << "received " << Shown(*run) << "\nexpected " << Shown(expected);
        }
    }

    // Every process the launcher started: the page's (helpers, or the encoder where no helper
    // runs) and the helpers' (the encoder).
    static std::vector<HarnessRun> AllRuns(const ScriptResult& result) {
        std::vector<HarnessRun> runs = result.runs;
        runs.insert(runs.end(), result.helperRuns.begin(), result.helperRuns.end());
        return runs;
    }

    std::u16string log_, temp_;
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
                        genre, u"--tc", comment, greeting, base + u".mp3"},
                       {u"--add-id3v2", u"--ta", u"AC\\", wave, folder_ + u"Musik\\b.mp3"},
                       {u"--add-id3v2", readme, readme + u".mp3"},
                       {u"--add-id3v2", dotted, dotted + u".mp3"}},
                      result);
    // Nothing is deleted without "Orig. löschen"; the report names each output.
    for (const auto& source : {intro, greeting, wave, readme, dotted}) EXPECT_TRUE(Exists(source));
    const std::u16string report = result.report;
    // (The name comes from the line's output, so the line separator in track 2's comment
    // leaves it as it is.)
    for (const char16_t* shown :
         {u"Run 1: 01 Intro.mp3.mp3...OK<br>Run 2: Grüße \U0001F3B5 it''s.mp3 (decoded from "
          u"Ogg)...OK<br>Run 3: b.mp3...OK",
          u"Run 5: track.mp3...OK<br>Done."})
        EXPECT_NE(report.find(shown), std::u16string::npos)
            << PrintableText(shown) << "\nin: " << PrintableText(report);
}

// A tagged MP3 and a tagged WAV, their launcher written right after the drop: the encoder
// receives the seven values each file carries, so re-encoding keeps them.
TEST_P(LauncherRun, TagsReadFromDroppedFilesReachTheEncoder) {
    const std::u16string mp3 = folder_ + u"Album\\01 Jóga.mp3";
    const std::u16string wave = folder_ + u"Album\\02 Ωδή.wav";
    MakeFolders(folder_ + u"Album\\");
    const auto host = [](const std::u16string& path) {
        return std::filesystem::path(std::wstring(path.begin(), path.end()));
    };
    const std::vector<TagEntry> tags = {{"TITLE", {u"Jóga \"live\""}},
                                        {"ARTIST", {u"Björk", u"Sjón"}},
                                        {"ALBUM", {u"Homogenic 100%"}},
                                        {"COMMENT", {u"ripped by me"}},
                                        {"DATE", {u"1997-09-22"}},
                                        {"TRACKNUMBER", {u"3/10"}},
                                        {"GENRE", {u"(13)"}}};
    WriteMp3Body(host(mp3));
    ASSERT_TRUE(WriteProperties(host(mp3), tags));
    WriteWavBody(host(wave));
    ASSERT_TRUE(WriteProperties(host(wave), tags));
    DropFiles(dialog_, {mp3, wave});

    const ScriptResult result = WriteAndRun(folder_ + u"Album\\Lame-Aufruf.hta");
    const Arguments values{u"--tt",           u"Jóga \"live\"", u"--ta", u"Björk; Sjón", u"--tl",
                           u"Homogenic 100%", u"--ty",          u"1997", u"--tn",        u"3/10",
                           u"--tg",           u"Pop",           u"--tc", u"ripped by me"};
    Arguments mp3Run = values;
    mp3Run.insert(mp3Run.end(), {u"--mp3input", mp3, mp3 + u".mp3"});
    Arguments waveRun = values;
    waveRun.insert(waveRun.end(), {wave, folder_ + u"Album\\02 Ωδή.mp3"});
    ExpectEncoderRuns({lame_, u"--priority", u"0", u"-b", u"128", u"-h"}, {mp3Run, waveRun},
                      result);
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
    // The encoder says it succeeded but leaves an empty output.
    const std::u16string emptied = Source(u"Musik\\empty-out.wav");
    const std::u16string last = Source(u"Rock'n'Roll\\01 Intro.ogg");
    // The command names a source of 260 characters or more in its long form (\\?\...); its
    // output goes beside it, into a folder the page's file object could not even look at.
    const std::u16string deep =
        Source(PathOfLength(folder_ + u"Tief\\", 300, u".wav").substr(folder_.size()));
    DropFiles(dialog_, {first, failing, readOnly, emptied, last, deep});
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);

    const ScriptResult result = WriteAndRun(folder_ + folder + u"Lame-Aufruf.hta",
                                            {{u"TS_STANDIN_FAIL_ON", u"fail-me"},
                                             {u"TS_STANDIN_FAIL_CODE", u"3"},
                                             {u"TS_STANDIN_EMPTY_ON", u"empty-out"}});
    EXPECT_EQ(EncoderRuns().size(), 6u) << result.output;
    EXPECT_FALSE(Exists(first)) << "deleted after its successful run";
    for (const std::u16string& other : expanded) EXPECT_TRUE(Exists(other)) << Utf8(other);
    EXPECT_TRUE(Exists(failing)) << "kept after its failing run";
    EXPECT_TRUE(Exists(readOnly)) << "deleted without force";
    EXPECT_TRUE(Exists(emptied)) << "kept: its output is empty";
    EXPECT_FALSE(Exists(last)) << "the tracks after a kept source go on";
    EXPECT_TRUE(Exists(deep)) << "kept: the page's file object may not take its long form";

    // Nothing but helpers and the encoder run: no cmd.exe.
    for (const HarnessRun& run : AllRuns(result))
        EXPECT_TRUE(run.command.rfind(u"\"" + lame_ + u"\"", 0) == 0 ||
                    run.command.rfind(u"wscript.exe //B //NoLogo \"" + temp_, 0) == 0)
            << PrintableText(run.command);
    for (const std::u16string& line :
         {u"Run 1: %OS% !OS! &amp; it's a^b.mp3...OK<br>Run 2: fail-me 'x'.mp3.mp3... error = 3\"" +
              Markup(lame_) + u"\"",
          u"Run 3: read-only.mp3...OK, source not deleted: " + readOnly +
              u"<br>Run 4: empty-out.mp3...OK, source not deleted: " + emptied +
              u"<br>Run 5: 01 Intro.mp3 (decoded from Ogg)...OK<br>",
          u"...OK, source not deleted: its path is too long for this page: \\\\?\\" + deep +
              u"<br>Done."})
        EXPECT_NE(result.report.find(line), std::u16string::npos)
            << PrintableText(line) << "\nin: " << PrintableText(result.report);
}

// Output folders of 248 units or more, which neither Windows' file object nor its
// CreateDirectoryW in the usual form makes: the save makes them, and each encode writes there.
TEST_P(LauncherRun, LongOutputFoldersAreMadeAtTheSave) {
    const std::u16string target = folder_ + u"Ziel";
    // Below the target, the sources' folders as they are below their common one: one output
    // folder of 250 units, one of 300.
    std::vector<std::u16string> sources, outputs;
    for (const auto& [length, unit] :
         {std::pair{size_t{250}, u'a'}, std::pair{size_t{300}, u'b'}}) {
        const std::u16string relative = PathOfLength(u"", length - target.size() - 1, u"", unit);
        sources.push_back(Source(u"Quellen\\" + relative + u"\\" + unit + u".wav"));
        outputs.push_back(target + u"\\" + relative + u"\\" + unit + u".mp3");
    }
    DropFiles(dialog_, sources);
    OutputSettings& settings = MainDialogState(dialog_)->output;
    settings.ownFolder = true;
    settings.folder.AssignText(target.c_str());
    settings.keepSourceFolders = true;

    ScriptResult result;
    {
        WindowsFolderLimit limit;
        ASSERT_TRUE(limit.Active());
        result =
            WriteAndRun(sources[0].substr(0, sources[0].rfind(u'\\') + 1) + u"Lame-Aufruf.hta");
    }
    EXPECT_EQ(EncoderRuns().size(), 2u) << PrintableText(result.report);
    for (const std::u16string& output : outputs)
        EXPECT_EQ(ReadBytes(output), "encoded by the stand-in") << PrintableText(output);
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
                  u"\" --priority 0 -b 128 -h --tt \"&lt;img src=x onerror=\\\"alert(1)\\\"&gt;\" "
                  u"--ta \"&lt;b&gt;Live &lt;Berlin&gt; &amp;amp; &lt;3\" \"" +
                  source + u"\" \"" + folder_ + u"Musik\\a.mp3\"<br>Done.");
}

// The page works in turns: it shows progress and takes a click on "Stop" while encoders run,
// and runs as many at once as there are processors.
TEST_P(LauncherRun, ShowsProgressRunsEncodesTogetherAndStops) {
    std::vector<std::u16string> sources;
    for (const char16_t* name : {u"1.wav", u"2.wav", u"3.wav", u"4.wav", u"5.wav"})
        sources.push_back(Source(name));
    DropFiles(dialog_, sources);
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);

    const ScriptResult result =
        WriteAndRun(folder_ + u"Lame-Aufruf.hta", {{u"NUMBER_OF_PROCESSORS", u"2"},
                                                   {u"TS_STANDIN_SLEEP_MS", u"1500"},
                                                   {u"TS_CLICK_STOP_AFTER", u"1"},
                                                   {u"TS_CMD_VIEW", u"1"}});
    const auto times = ReadStandInTimes(log_);
    const size_t ran = times.size();
    ASSERT_GE(ran, 2u) << result.output;
    ASSERT_LT(ran, sources.size()) << "Stop started no more encodes\n" << result.output;
    EXPECT_LT(std::max(times[0].first, times[1].first), std::min(times[0].second, times[1].second))
        << "two encodes at once";

    // Progress while encodes ran, before the last was done (two encodes that started together
    // may end in the same turn).
    bool shownMidway = false;
    for (const PageTurn& turn : result.turns)
        shownMidway = shownMidway ||
                      (turn.reportedRuns > 0 && static_cast<size_t>(turn.reportedRuns) < ran &&
                       turn.progress.rfind(
                           FromUtf8(std::to_string(turn.reportedRuns)) + u" of 5 done, ", 0) == 0);
    EXPECT_TRUE(shownMidway) << result.output;

    // The encodes running at the click finished whole; the tracks not started are untouched.
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(Utf8(sources[i]));
        const std::u16string output = sources[i].substr(0, sources[i].size() - 4) + u".mp3";
        EXPECT_EQ(Exists(sources[i]), i >= ran);
        EXPECT_EQ(ReadBytes(output), i < ran ? "encoded by the stand-in" : "<missing>");
    }
    EXPECT_EQ(
        result.report.substr(result.report.rfind(u"<br>") + 4),
        u"Stopped: " + FromUtf8(std::to_string(sources.size() - ran)) + u" of 5 tracks not run.");
    // Helpers are started hidden; with "Cmd.exe sichtbar" they show the encoder's window.
    for (const HarnessRun& run : result.runs) EXPECT_EQ(run.style, 0) << PrintableText(run.command);
    ASSERT_EQ(result.helperRuns.size(), ran);
    for (const HarnessRun& run : result.helperRuns) EXPECT_EQ(run.style, 4);
}

// Where no helper can run, the page encodes one track per turn, still with progress and Stop.
TEST_P(LauncherRun, WithoutHelpersEncodesInThePageOneTrackPerTurn) {
    struct Case {
        const char* name;
        const char16_t* setting;
        const char16_t* note;
        bool helperStarted;
    };
    const Case cases[] = {
        {"Windows Script Host switched off", u"TS_SCRIPT_HOST_OFF",
         u"No helper can run: one encode at a time in this window.<br>", false},
        {"a helper that never answers", u"TS_HELPERS_NEVER_ANSWER",
         u"No helper answered: one encode at a time in this window.<br>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartOver(lame_);
        ASSERT_NE(dialog_, nullptr);
        std::vector<std::u16string> sources;
        for (const char16_t* name : {u"Musik\\1.wav", u"Musik\\2.wav", u"Musik\\3.wav"})
            sources.push_back(Source(name));
        DropFiles(dialog_, sources);

        const ScriptResult result = WriteAndRun(
            folder_ + u"Musik\\Lame-Aufruf.hta",
            {{c.setting, u"1"}, {u"NUMBER_OF_PROCESSORS", u"2"}, {u"TS_CLICK_STOP_AFTER", u"2"}});
        EXPECT_EQ(EncoderRuns().size(), 2u) << result.output;
        EXPECT_NE(result.report.find(c.note), std::u16string::npos) << PrintableText(result.report);
        EXPECT_NE(result.report.find(u"Run 2: 2.mp3...OK<br>"), std::u16string::npos)
            << PrintableText(result.report);
        EXPECT_EQ(result.report.substr(result.report.rfind(u"<br>") + 4),
                  u"Stopped: 1 of 3 tracks not run.");
        // Each encode had a turn of its own, and the page showed it.
        bool shownMidway = false;
        for (const PageTurn& turn : result.turns)
            shownMidway = shownMidway ||
                          (turn.reportedRuns == 1 && turn.progress.rfind(u"1 of 3 done, ", 0) == 0);
        EXPECT_TRUE(shownMidway) << result.output;
        // (Under Wine the page asks find.exe whether Run replaces %OS% in the encoder's path.)
        std::vector<HarnessRun> runs;
        std::copy_if(result.runs.begin(), result.runs.end(), std::back_inserter(runs),
                     [](const HarnessRun& run) { return run.command.rfind(u"find.exe", 0) != 0; });
        // Helpers start together, one per processor.
        EXPECT_EQ(runs.size(), c.helperStarted ? 4u : 2u) << result.output;
        for (const HarnessRun& run : result.runs) EXPECT_EQ(run.style, 0);
        EXPECT_TRUE(result.helperRuns.empty());
    }
}

// A helper that ends without leaving a result (a security product ends it, or a time limit)
// fails its own track only: the batch goes on with another helper and ends.
TEST_P(LauncherRun, AHelperEndedMidTrackFailsThatTrackOnly) {
    std::vector<std::u16string> sources;
    for (const char16_t* name : {u"1.wav", u"end-helper.wav", u"3.wav", u"4.wav"})
        sources.push_back(Source(name));
    DropFiles(dialog_, sources);
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);

    const ScriptResult result =
        WriteAndRun(folder_ + u"Lame-Aufruf.hta", {{u"NUMBER_OF_PROCESSORS", u"2"},
                                                   {u"TS_STANDIN_SLEEP_MS", u"300"},
                                                   {u"TS_STANDIN_END_HELPER_ON", u"end-helper"}});
    EXPECT_EQ(EncoderRuns().size(), 4u) << result.output;
    for (size_t i = 0; i < sources.size(); ++i) EXPECT_EQ(Exists(sources[i]), i == 1);
    EXPECT_NE(result.report.find(
                  u"Run 2: end-helper.mp3... error: the helper ended without a result<br>"),
              std::u16string::npos)
        << PrintableText(result.report);
    EXPECT_EQ(result.report.substr(result.report.rfind(u"<br>") + 4), u"Done.");
}

// A virus scanner opens each file just written for a moment, and a rename of it fails then:
// the renames of a job, an answer and a result are tried again, in the helper and the page,
// so every encode is reported as it ended, and a job held at "Stop" is still taken back.
TEST_P(LauncherRun, RenamesHeldByAVirusScannerAreTriedAgain) {
    struct Case {
        const char* name;
        const char16_t* processors;
        const char16_t* stopAfter;
        const char16_t* held;  // the names the stand-in scanner holds at their first rename
        const char16_t* heldFor;
        const char16_t* encodeMs;
        size_t encodes;
        const char16_t* end;
    };
    const Case cases[] = {
        {"every file held", u"2", u"-1", u"\\.(part|job)$", u"300", u"800", 4, u"Done."},
        // The job after the one the helper runs, held as the click takes it back; the encode
        // lasts long enough that the page's retries win over the helper's next take even on a
        // loaded machine.
        {"Stop", u"1", u"1", u"-3\\.job$", u"600", u"2500", 2, u"Stopped: 2 of 4 tracks not run."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartOver(lame_);
        ASSERT_NE(dialog_, nullptr);
        std::vector<std::u16string> sources;
        for (const char16_t* name :
             {u"Musik\\1.wav", u"Musik\\2.wav", u"Musik\\3.wav", u"Musik\\4.wav"})
            sources.push_back(Source(name));
        DropFiles(dialog_, sources);

        const ScriptResult result = WriteAndRun(folder_ + u"Musik\\Lame-Aufruf.hta",
                                                {{u"NUMBER_OF_PROCESSORS", c.processors},
                                                 {u"TS_STANDIN_SLEEP_MS", c.encodeMs},
                                                 {u"TS_CLICK_STOP_AFTER", c.stopAfter},
                                                 {u"TS_RENAME_HELD", c.held},
                                                 {u"TS_RENAME_HELD_MS", c.heldFor}});
        EXPECT_EQ(EncoderRuns().size(), c.encodes) << result.output;
        std::u16string lines;
        for (size_t i = 1; i <= c.encodes; ++i) {
            const std::u16string number = FromUtf8(std::to_string(i));
            lines += u"Run " + number + u": " + number + u".mp3...OK<br>";
        }
        EXPECT_EQ(result.report.substr(0, lines.size()), lines) << PrintableText(result.report);
        EXPECT_EQ(result.report.substr(result.report.rfind(u"<br>") + 4), c.end);
        EXPECT_EQ(result.runs.size(), std::stoul(Utf8(c.processors))) << "helpers started\n"
                                                                      << result.output;
    }
}

// Helpers last: each takes its tracks one after another, one helper per processor.
TEST_P(LauncherRun, FourTracksOnTwoProcessorsStartTwoHelpers) {
    std::vector<std::u16string> sources;
    for (const char16_t* name : {u"1.wav", u"2.wav", u"3.wav", u"4.wav"})
        sources.push_back(Source(name));
    DropFiles(dialog_, sources);

    const ScriptResult result =
        WriteAndRun(folder_ + u"Lame-Aufruf.hta",
                    {{u"NUMBER_OF_PROCESSORS", u"2"}, {u"TS_STANDIN_SLEEP_MS", u"700"}});
    EXPECT_EQ(EncoderRuns().size(), 4u) << result.output;
    EXPECT_EQ(result.runs.size(), 2u) << "helpers started\n" << result.output;
    EXPECT_EQ(result.report.substr(result.report.rfind(u"<br>") + 4), u"Done.");
}

// "Stop" clicked while a helper runs a track: the track it would take next does not start.
TEST_P(LauncherRun, StopKeepsAHelperFromItsNextTrack) {
    std::vector<std::u16string> sources;
    for (const char16_t* name : {u"1.wav", u"2.wav", u"3.wav"}) sources.push_back(Source(name));
    DropFiles(dialog_, sources);

    const ScriptResult result =
        WriteAndRun(folder_ + u"Lame-Aufruf.hta", {{u"NUMBER_OF_PROCESSORS", u"1"},
                                                   {u"TS_STANDIN_SLEEP_MS", u"1000"},
                                                   {u"TS_CLICK_STOP_AFTER", u"1"}});
    ASSERT_NE(result.clickTime, 0u) << result.output;
    // The helper claimed track 2 as it ended track 1, before the click; track 3 never ran.
    EXPECT_EQ(EncoderRuns().size(), 2u) << result.output;
    EXPECT_TRUE(Exists(sources[2]));
    EXPECT_EQ(ReadBytes(folder_ + u"3.mp3"), "<missing>");
    EXPECT_EQ(result.report.substr(result.report.rfind(u"<br>") + 4),
              u"Stopped: 1 of 3 tracks not run.");
}

// A closed window ends the batch as "Stop" does: the helper finishes its track and claims no
// further one. The folder the batch leaves is removed by the next launcher that runs.
TEST_P(LauncherRun, AClosedWindowStartsNoFurtherTrack) {
    std::vector<std::u16string> sources;
    for (const char16_t* name : {u"1.wav", u"2.wav", u"3.wav"}) sources.push_back(Source(name));
    DropFiles(dialog_, sources);

    const ScriptResult result = WriteAndRun(folder_ + u"Lame-Aufruf.hta",
                                            {{u"NUMBER_OF_PROCESSORS", u"1"},
                                             {u"TS_STANDIN_SLEEP_MS", u"1000"},
                                             {u"TS_CLOSE_AFTER", u"1"}},
                                            true);
    ASSERT_NE(result.closeTime, 0u) << result.output;
    ASSERT_TRUE(WaitForNoProcess(u"wscript.exe", 20000));
    const auto times = ReadStandInTimes(log_);
    EXPECT_EQ(times.size(), 2u) << result.output;
    EXPECT_TRUE(Exists(sources[2]));
    EXPECT_EQ(FolderNames(temp_), std::vector<std::u16string>{u"Tonschleuder-1"});

    StartOver(lame_);
    ASSERT_NE(dialog_, nullptr);
    DropFiles(dialog_, {Source(u"Later\\4.wav")});
    const ScriptResult later = WriteAndRun(folder_ + u"Later\\Lame-Aufruf.hta");
    EXPECT_EQ(later.report, u"Run 1: 4.mp3...OK<br>Done.");
}

// Where "%" cannot be made a reference (Windows 11 24H2's JScript engine throws at the
// environment write) and Run replaces %NAME%, a track whose command Run would change is not
// run; the others run exactly. Wine's Run replaces nothing: there every track runs.
TEST_P(LauncherRun, ACommandThatWindowsWouldChangeIsNotRun) {
    const std::u16string lame = folder_ + u"Werkzeug\\lame.exe";
    MakeFolders(folder_ + u"Werkzeug\\");
    WriteBytes(lame, ReadBytes(lame_));
    struct Case {
        const char* name;
        const char16_t* setting;
    };
    const Case cases[] = {{"helpers", u"TS_NONE"}, {"in the page", u"TS_SCRIPT_HOST_OFF"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartOver(lame);
        ASSERT_NE(dialog_, nullptr);
        const std::u16string plain = Source(u"Musik\\a.wav");
        const std::u16string variable = Source(u"Musik\\%OS% live.wav");
        const std::u16string percent = Source(u"Musik\\100% sure.wav");
        DropFiles(dialog_, {plain, variable, percent});
        ClickButton(dialog_, IDX_DELETE_ORIGINALS);

        const ScriptResult result =
            WriteAndRun(folder_ + u"Musik\\Lame-Aufruf.hta",
                        {{c.setting, u"1"}, {u"TS_ENVIRONMENT_WRITE_FAILS", u"1"}});
        const bool refused = host() == Host::kWindowsModel;
        std::vector<Arguments> expected = {{plain, folder_ + u"Musik\\a.mp3"},
                                           {percent, folder_ + u"Musik\\100% sure.mp3"}};
        if (!refused) expected.push_back({variable, folder_ + u"Musik\\%OS% live.mp3"});
        ExpectEncoderRuns({lame, u"--priority", u"0", u"-b", u"128", u"-h"}, expected, result);
        EXPECT_EQ(Exists(variable), refused);
        EXPECT_FALSE(Exists(plain));
        const std::u16string line =
            refused ? u"Run 2: %OS% live.mp3... not run: Windows would change a %NAME% in its "
                      u"command<br>"
                    : u"Run 2: %OS% live.mp3...OK<br>";
        EXPECT_NE(result.report.find(line), std::u16string::npos) << PrintableText(result.report);
        EXPECT_EQ(result.report.substr(result.report.rfind(u"<br>") + 4), u"Done.");
    }
}

// A template's own callRun line need not end in the two quoted names: its source cannot be
// found, and the line says so instead of stopping the page with a script error.
TEST_P(LauncherRun, ATrackWithoutItsTwoNamesSaysItsSourceWasNotDeleted) {
    std::string page = PageText();
    page.insert(page.find("%callRuns%") + 10, "\tcallRun (' -V 2');\r\n");
    ASSERT_TRUE(WriteBytes(TemplateBesideProgram(), page));
    DropFiles(dialog_, {Source(u"Musik\\a.wav")});
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);

    const ScriptResult result = WriteAndRun(folder_ + u"Musik\\Lame-Aufruf.hta");
    EXPECT_EQ(EncoderRuns().size(), 2u) << result.output;
    EXPECT_NE(result.report.find(
                  u"<br>Run 2:  -V 2OK, source not deleted: its name was not found<br>Done."),
              std::u16string::npos)
        << PrintableText(result.report);
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
    // Every process hidden, and the report as the old launcher showed it.
    for (const HarnessRun& run : AllRuns(result)) EXPECT_EQ(run.style, 0);
    EXPECT_EQ(result.report,
              u"Run 1: 01 Intro.wav...OK<br>Run 2: b.wav...OK<br>Run 3: c.mp3...OK<br>Done.");
}

// The sample template's own: while "Anhalten" (Paused) is checked no encode starts, and the
// job left for the helper is taken back; unchecked, the batch goes on to its end.
using SampleTemplateRun = LauncherRun;

TEST_P(SampleTemplateRun, AnhaltenPausesTheBatchUntilUnchecked) {
    std::vector<std::u16string> sources;
    for (const char16_t* name : {u"Musik\\1.wav", u"Musik\\2.wav", u"Musik\\3.wav"})
        sources.push_back(Source(name));
    DropFiles(dialog_, sources);

    const ScriptResult result =
        WriteAndRun(folder_ + u"Musik\\Lame-Aufruf.hta", {{u"NUMBER_OF_PROCESSORS", u"1"},
                                                          {u"TS_STANDIN_SLEEP_MS", u"600"},
                                                          {u"TS_PAUSE_AFTER", u"1"},
                                                          {u"TS_PAUSE_TURNS", u"10"}});
    ASSERT_NE(result.resumeTime, 0u) << result.output;
    const auto times = ReadStandInTimes(log_);
    ASSERT_EQ(times.size(), 3u) << result.output;
    // (Track 2 was claimed as track 1 ended, before the click.) Track 3 waited.
    EXPECT_GT(times[2].first, result.resumeTime);
    EXPECT_EQ(result.report,
              u"Run 1: 1.mp3...OK<br>Run 2: 2.mp3...OK<br>Run 3: 3.mp3...OK<br>Done.");
}

std::string ParamName(const ::testing::TestParamInfo<RunParam>& info) {
    return std::string(info.param.host == Host::kWine ? "Wine" : "WindowsModel") +
           (info.param.page == Page::kSample ? "Sample" : "");
}

INSTANTIATE_TEST_SUITE_P(Hosts, LauncherRun,
                         ::testing::Values(RunParam{Host::kWine, Page::kBuiltIn},
                                           RunParam{Host::kWindowsModel, Page::kBuiltIn},
                                           RunParam{Host::kWine, Page::kSample},
                                           RunParam{Host::kWindowsModel, Page::kSample}),
                         ParamName);
INSTANTIATE_TEST_SUITE_P(Hosts, SampleTemplateRun,
                         ::testing::Values(RunParam{Host::kWine, Page::kSample},
                                           RunParam{Host::kWindowsModel, Page::kSample}),
                         ParamName);

}  // namespace
