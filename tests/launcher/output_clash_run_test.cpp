// End to end with "Orig. löschen" checked: the three batches that used to lose a file. Answered
// No, none of them writes a launcher and every file stays as it was; with Yes to the question
// about an existing output, the launcher replaces it as before and deletes only the encoded
// source.
#include <gtest/gtest.h>

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

}  // namespace
