// End to end with "Orig. löschen" checked: the batches that used to lose a file. Answered No,
// none of them writes a launcher and every file stays as it was; with Yes to the question about
// an existing output, the launcher replaces it as before and deletes only the encoded source.
// Outputs that are sources or each other under other paths are refused whatever is answered.
#include <gtest/gtest.h>

#include <algorithm>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "launcher/launcher_script.h"
#include "resources/control_ids.h"
#include "support/files_win.h"

using namespace support;

namespace {

class OutputClashRun : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        OpenScene(u"clash-run", u"", ReadBytes(FromUtf8(TS_STAND_IN_LAME)));
        ASSERT_NE(dialog_, nullptr);
        music_ = folder_ + u"Musik\\";
        MakeFolders(music_);
        ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    }
    void TearDown() override { CloseScene(); }

    // Presses the batch button answering every question with `answer`; yields the texts.
    std::vector<std::u16string> Press(int answer) {
        MessageBoxRecorder recorder({answer, answer, answer});
        PressBatchButton(dialog_);
        return recorder.Texts();
    }

    std::u16string music_;
};

TEST_F(OutputClashRun, AnsweredNoNothingIsWrittenAndNoFileChanges) {
    struct Row {
        const char* name;
        std::vector<std::u16string> dropped, lyingThere;
        std::u16string message;  // how the message begins
    };
    const Row rows[] = {
        {"an older encode dropped with its source",
         {u"Lied.wav", u"Lied.mp3"},
         {},
         u"Diese Dateien würden sich gegenseitig überschreiben:"},
        {"two sources with one output", {u"Band.wav", u"BAND.aiff"}, {}, u"Diese Dateien würden"},
        {"an unrelated file where the output goes",
         {u"Alt.wav"},
         {u"Alt.mp3"},
         u"Diese Ausgabedatei gibt es bereits:"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RenewScene(music_);
        ClickButton(dialog_, IDX_DELETE_ORIGINALS);
        std::vector<std::u16string> paths;
        for (const std::u16string& name : row.dropped) {
            paths.push_back(music_ + name);
            WriteBytes(paths.back(), AudioBytes("audio of " + Utf8(name)));
        }
        for (const std::u16string& name : row.lyingThere)
            WriteBytes(music_ + name, "older " + Utf8(name));
        DropFiles(dialog_, paths);
        const auto before = FolderContents(music_);

        const std::vector<std::u16string> shown = Press(IDNO);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].rfind(row.message, 0), 0u) << PrintableText(shown[0]);
        EXPECT_EQ(FolderContents(music_), before) << "no launcher, every file as it was";
    }
}

TEST_F(OutputClashRun, AnsweredYesTheExistingOutputIsReplacedAsBefore) {
    const std::u16string source = music_ + u"Alt.wav";
    const std::u16string output = music_ + u"Alt.mp3";
    WriteBytes(source, AudioBytes("audio"));
    WriteBytes(output, "older encode");
    DropFiles(dialog_, {source});

    const std::vector<std::u16string> shown = Press(IDYES);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], u"Lame-Aufruf.hta wurde geschrieben.");
    const std::u16string log = folder_ + u"stand-in.log";
    const std::u16string temp = folder_ + u"Temp\\";
    MakeFolders(temp);
    const ScriptResult result =
        RunLauncherScript(ReadBytes(music_ + u"Lame-Aufruf.hta"), folder_,
                          {{u"TS_STANDIN_LOG", log}, {u"TEMP", temp}, {u"TMP", temp}}, Host::kWine);
    ASSERT_TRUE(result.finished) << result.output;
    const auto runs = ReadStandInLog(log);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].back(), output);
    EXPECT_EQ(ReadBytes(output), "encoded by the stand-in") << "the older encode is replaced";
    EXPECT_FALSE(Exists(source)) << "the encoded source is deleted";
}

// "Vorhandene MP3s überspringen": a library encoded once, two tracks added, saved again: the
// launcher runs only the new ones and the older encodes stay; saved a third time, every
// output is there and nothing is written.
TEST_F(OutputClashRun, SkippingExistingOutputsRunsOnlyTheNewTracks) {
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);  // the library keeps its sources
    const std::u16string temp = folder_ + u"Temp\\";
    MakeFolders(temp);
    const auto encode = [&](const std::u16string& log) {
        const ScriptResult result = RunLauncherScript(
            ReadBytes(music_ + u"Lame-Aufruf.hta"), folder_,
            {{u"TS_STANDIN_LOG", log}, {u"TEMP", temp}, {u"TMP", temp}}, Host::kWine);
        EXPECT_TRUE(result.finished) << result.output;
        std::vector<std::u16string> outputs;
        for (const auto& run : ReadStandInLog(log)) outputs.push_back(run.back());
        std::sort(outputs.begin(), outputs.end());
        return outputs;
    };
    const auto drop = [&](const std::vector<std::u16string>& names) {
        std::vector<std::u16string> paths;
        for (const std::u16string& name : names) {
            paths.push_back(music_ + name);
            WriteBytes(paths.back(), AudioBytes(Utf8(name)));
        }
        DropFiles(dialog_, paths);
    };
    drop({u"A.wav", u"B.wav", u"C.wav"});
    ASSERT_EQ(Press(IDYES), (std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."}));
    ASSERT_EQ(encode(folder_ + u"first.log").size(), 3u);
    WriteBytes(music_ + u"A.mp3", "older encode");

    drop({u"D.wav", u"E.wav"});
    OpenDialogState()->output.skipExisting = true;
    const std::vector<std::u16string> shown = Press(IDYES);
    ASSERT_EQ(shown.size(), 2u) << "the launcher's own question, then the result";
    EXPECT_EQ(shown[1],
              u"Lame-Aufruf.hta wurde geschrieben.\r\n\r\n3 Titel übersprungen: ihre MP3s gibt "
              u"es schon.");
    EXPECT_EQ(encode(folder_ + u"second.log"),
              (std::vector<std::u16string>{music_ + u"D.mp3", music_ + u"E.mp3"}));
    EXPECT_EQ(ReadBytes(music_ + u"A.mp3"), "older encode");

    const auto before = FolderContents(music_);
    EXPECT_EQ(Press(IDYES), (std::vector<std::u16string>{
                                u"Alle Titel übersprungen: ihre MP3s gibt es schon. Es wird "
                                u"nichts gespeichert!"}));
    EXPECT_EQ(FolderContents(music_), before);
}

// A host symbolic link (Wine 8's CreateSymbolicLinkW makes none): `link`, a Unix path, to the
// folder `target`, which the program sees as `seenAs` once it is made.
bool MakeLink(const std::u16string& target, const std::string& link, const std::u16string& seenAs) {
    return RunHostProgram({"/bin/ln", "-s", UnixPathOf(target), link}) &&
           WaitUntil([&] { return Exists(seenAs); }, 5000);
}

// A drive letter Wine keeps for the folder, as a mapped drive or subst gives one: a link in
// the prefix's dosdevices. Empty when none could be made.
class SecondDrive {
  public:
    explicit SecondDrive(const std::u16string& folder) {
        char prefix[1024] = {};
        const DWORD used = GetLogicalDrives();
        if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix)) return;
        for (char letter = 'q'; letter <= 'y' && drive_.empty(); ++letter) {
            if (used & (1u << (letter - 'a'))) continue;
            link_ = std::string(prefix) + "/dosdevices/" + letter + ":";
            const std::u16string root = {char16_t(letter - 'a' + 'A'), u':', u'\\'};
            if (MakeLink(folder, link_, root)) drive_ = root;
        }
    }
    ~SecondDrive() {
        if (!drive_.empty() && RunHostProgram({"/bin/rm", link_}))
            WaitUntil([&] { return !Exists(drive_); });
    }
    const std::u16string& Root() const { return drive_; }

  private:
    std::string link_;
    std::u16string drive_;
};

TEST_F(OutputClashRun, OutputsThatAreSourcesByAnotherPathAreRefusedAnsweredYes) {
    const std::u16string clashStart = u"Diese Dateien würden sich gegenseitig überschreiben:";
    const std::u16string link = folder_ + u"Verweis";
    ASSERT_TRUE(MakeLink(music_, UnixPathOf(folder_) + "/Verweis", link));
    SecondDrive drive(music_);
    ASSERT_FALSE(drive.Root().empty());
    struct Row {
        const char* name;
        std::u16string outputFolder;  // empty: beside the source
        std::vector<std::u16string> dropped;
    };
    const Row rows[] = {
        {"the sources' folder through \"..\"",
         folder_ + u"Neu\\..\\Musik",
         {music_ + u"Lied.mp3", music_ + u"Band.mp3"}},
        {"the sources' folder as a second drive", drive.Root(), {music_ + u"Lied.mp3"}},
        {"a folder linked to the sources' one", link, {music_ + u"Lied.mp3"}},
        {"two outputs, one file by two names", u"", {music_ + u"Lied.wav", link + u"\\Lied.ogg"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RenewScene(music_);
        ClickButton(dialog_, IDX_DELETE_ORIGINALS);
        OutputSettings& output = OpenDialogState()->output;
        output.ownFolder = !row.outputFolder.empty();
        output.folder.AssignText(row.outputFolder.c_str());
        output.pattern.AssignText(u"<Quelldatei>");
        for (const std::u16string& path : row.dropped)
            WriteBytes(music_ + path.substr(path.rfind(u'\\') + 1), AudioBytes(Utf8(path)));
        DropFiles(dialog_, row.dropped);
        const auto before = FolderContents(music_);

        const std::vector<std::u16string> shown = Press(IDYES);
        EXPECT_EQ(shown.size(), 1u) << "the refusal alone, no question";
        const std::u16string first = shown.empty() ? u"" : shown[0];
        EXPECT_EQ(first.rfind(clashStart, 0), 0u) << PrintableText(first);
        for (const std::u16string& path : row.dropped)
            EXPECT_NE(first.find(path + u" -> "), std::u16string::npos) << PrintableText(path);
        auto after = FolderContents(music_);
        EXPECT_EQ(after.erase(u"Lame-Aufruf.hta"), 0u) << "no launcher";
        EXPECT_EQ(after, before) << "every source as it was";
    }
}

}  // namespace
