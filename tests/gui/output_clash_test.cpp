// The check of the tracks' outputs on the real dialog: a batch whose tracks would overwrite
// each other's files is refused with one message, and outputs that are files already are
// replaced only after one question.
#include <gtest/gtest.h>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"
#include "support/files_win.h"

using namespace support;

namespace {

const char16_t kLauncherQuestion[] = u"Soll die bereits existierende Datei überschrieben werden?";
const char16_t kNothingSaved[] = u"(Bei Nein wird nichts gespeichert.)";

class OutputClash : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        OpenScene(u"output-clash", u"", "MZ");
        ASSERT_NE(dialog_, nullptr);
        music_ = folder_ + u"Musik\\";
        MakeFolders(music_);
        launcher_ = music_ + u"Lame-Aufruf.hta";
    }
    void TearDown() override { CloseScene(); }

    // Files in the music folder, each holding its own name, dropped in this order.
    void DropSources(const std::vector<std::u16string>& names) {
        std::vector<std::u16string> paths;
        for (const std::u16string& name : names) {
            paths.push_back(music_ + name);
            WriteBytes(paths.back(), AudioBytes(Utf8(name)));
        }
        DropFiles(dialog_, paths);
    }

    // Presses the batch button; every box must be the program's kind. Yields their texts.
    std::vector<std::string> Press(std::deque<int> answers = {}) {
        MessageBoxRecorder recorder(std::move(answers));
        PressBatchButton(dialog_);
        std::vector<std::string> texts;
        for (const ShownMessage& shown : recorder.Shown()) {
            EXPECT_EQ(PrintableText(shown.caption), "Tonschleuder");
            EXPECT_FALSE(shown.hasIcon);
            EXPECT_EQ(shown.owner, dialog_);
            const bool question = shown.text.find(kNothingSaved) != std::u16string::npos ||
                                  shown.text == kLauncherQuestion;
            EXPECT_EQ(shown.buttons, question ? YesNoButtons() : OkButtons());
            texts.push_back(PrintableText(shown.text));
        }
        return texts;
    }

    std::u16string music_, launcher_;
};

TEST_F(OutputClash, ClashIsRefusedWithOneMessageBeforeAnyQuestion) {
    WriteBytes(launcher_, "old launcher");
    DropSources({u"Lied.wav", u"Lied.mp3", u"Band.wav", u"frei.wav", u"BAND.aiff", u"a.ogg"});
    DropFiles(dialog_, {music_ + u"A.OGG"});
    const auto before = FolderContents(music_);

    const std::u16string m = music_;
    EXPECT_EQ(Press(),
              std::vector<std::string>{PrintableText(
                  u"Diese Dateien würden sich gegenseitig überschreiben:\r\n\r\n" + m +
                  u"Lied.wav -> Lied.mp3\r\n" + m + u"Lied.mp3 -> Lied.mp3.mp3\r\n" + m +
                  u"Band.wav -> Band.mp3\r\n" + m + u"BAND.aiff -> BAND.mp3\r\n" + m +
                  u"a.ogg -> a.mp3\r\n... und 1 weitere\r\n\r\nBitte entfernen Sie "
                  u"sie aus der Liste oder benennen Sie sie um. Es wird nichts gespeichert!")});
    EXPECT_EQ(FolderContents(music_), before) << "no launcher, nothing changed";
}

TEST_F(OutputClash, DecodingRunsAreCheckedWithTheirWaveOutputs) {
    WriteBytes(music_ + u"x.wav", "old");
    DropSources({u"x.ogg"});
    EXPECT_EQ(Press(), std::vector<std::string>{"Lame-Aufruf.hta wurde geschrieben."});
    DeleteFileW(reinterpret_cast<const wchar_t*>(launcher_.c_str()));

    SetFieldText(dialog_, IDE_EXTRA_ARGS, u"--decode");
    const auto shown = Press({IDNO});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].find(PrintableText(u"Diese Ausgabedatei gibt es bereits:\r\n\r\n" + music_ +
                                          u"x.wav\r\n")),
              0u)
        << shown[0];
    EXPECT_FALSE(Exists(launcher_));
}

// One existing output is asked about on its own; a folder with many outputs is read once, so
// both ways of finding files are met. A folder named like an output is no file to replace.
TEST_F(OutputClash, ExistingOutputsAreReplacedOnlyAfterYes) {
    struct Row {
        const char* name;
        std::vector<std::u16string> sources, present, folders;
        std::u16string question;
    };
    const std::u16string m = music_;
    std::vector<std::u16string> many;
    for (char16_t i = 0; i < 14; ++i)
        many.push_back(
            {u't', char16_t(u'0' + i / 10), char16_t(u'0' + i % 10), u'.', u'w', u'a', u'v'});
    const Row rows[] = {
        {"one of two",
         {u"Alt.wav", u"Neu.wav"},
         {u"Alt.mp3"},
         {},
         u"Diese Ausgabedatei gibt es bereits:\r\n\r\n" + m +
             u"Alt.mp3\r\n\r\nSoll die bereits existierende Datei überschrieben werden? " +
             kNothingSaved},
        {"two of fourteen in one folder",
         many,
         {u"T03.MP3", u"t11.mp3"},
         {u"t05.mp3"},
         u"Diese Ausgabedateien gibt es bereits:\r\n\r\n" + m + u"t03.mp3\r\n" + m +
             u"t11.mp3\r\n\r\nSollen die bereits existierenden Dateien überschrieben werden? " +
             kNothingSaved},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RenewScene(music_);
        for (const std::u16string& name : row.present) WriteBytes(music_ + name, "old");
        for (const std::u16string& name : row.folders) MakeFolders(music_ + name + u"\\");
        DropSources(row.sources);
        const auto before = FolderContents(music_);

        EXPECT_EQ(Press({IDNO}), std::vector<std::string>{PrintableText(row.question)});
        EXPECT_EQ(FolderContents(music_), before) << "No: no launcher, nothing changed";

        // Yes keeps today's flow: the launcher's own question follows.
        WriteBytes(launcher_, "old launcher");
        EXPECT_EQ(
            Press({IDYES, IDYES}),
            (std::vector<std::string>{PrintableText(row.question), PrintableText(kLauncherQuestion),
                                      "Lame-Aufruf.hta wurde geschrieben."}));
        EXPECT_EQ(ReadBytes(launcher_).substr(0, 6), "<html>");
    }
}

}  // namespace
