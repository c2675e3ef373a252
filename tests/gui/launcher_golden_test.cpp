// The launcher files of the golden examples, written through the real dialog by a user's
// actions and compared byte for byte. Their D:\ paths are real: drive D: is mapped to a
// scratch folder in the test's Wine prefix. A golden file keeps the filled lines; the page
// after them is compared with the built-in page itself.
#include <gtest/gtest.h>

#include <memory>

#include "gui/launcher_dialog.h"
#include "support/files_win.h"
#include "support/golden_launcher.h"
#include "gui/harness.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"

using namespace support;

namespace {

std::string GoldenBytes(const char* name) {
    return GoldenLauncher(ReadBytes(FromUtf8(std::string(TONSCHLEUDER_GOLDEN_DIR) + "/" + name)));
}

// Equal bytes, or the first difference with some context on either side.
::testing::AssertionResult SameBytes(const std::string& written, const std::string& golden) {
    if (written == golden) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < written.size() && at < golden.size() && written[at] == golden[at]) ++at;
    const size_t from = at > 40 ? at - 40 : 0;
    return ::testing::AssertionFailure()
           << "first difference at byte " << at << " (written " << written.size()
           << " bytes, golden " << golden.size()
           << ")\n  written: " << ::testing::PrintToString(written.substr(from, 100))
           << "\n  golden:  " << ::testing::PrintToString(golden.substr(from, 100));
}

class GoldenLauncher : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = MakeScratchFolder(u"golden-d");
        for (const char16_t* folder : {u"Tools\\", u"Musik\\Rock'n'Roll\\", u"Hörbücher\\"})
            MakeFolders(root_ + folder);
        WriteBytes(root_ + u"Tools\\lame.exe", "MZ");
        mapping_ = std::make_unique<DriveMapping>(u'D', root_);
        ASSERT_TRUE(mapping_->Active()) << "drive D: is in use in this Wine prefix";
        dialog_ = OpenFreshDialog();
        ASSERT_NE(dialog_, nullptr);
        SetFieldText(dialog_, IDE_LAME_PATH, u"D:\\Tools\\lame.exe");
    }
    void TearDown() override {
        CloseDialog(dialog_);
        mapping_.reset();
        RemoveTree(root_);
    }

    std::vector<std::u16string> PressSave() {
        MessageBoxRecorder recorder;
        PressBatchButton(dialog_);
        return recorder.Texts();
    }

    std::u16string root_;
    std::unique_ptr<DriveMapping> mapping_;
    HWND dialog_ = nullptr;
};

TEST_F(GoldenLauncher, WorkedExampleOfTheBuiltInTemplate) {
    ChooseListEntry(dialog_, IDC_QUALITY, 1);  // "CBR": the options give "-b 128"
    DropFiles(dialog_, {u"D:\\Musik\\a.wav"});
    EXPECT_EQ(PressSave(), std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
    EXPECT_TRUE(
        SameBytes(ReadBytes(u"D:\\Musik\\Lame-Aufruf.hta"), GoldenBytes("worked_example.hta")));
}

TEST_F(GoldenLauncher, TracksFromSeveralFoldersWithTagsAndBothCheckBoxes) {
    SetFieldText(dialog_, IDE_EXTRA_ARGS, u"--tv \"TXXX=Quelle=D:\\CD\"");
    ChooseListEntry(dialog_, IDC_MODE, 2);          // "Joint Stereo"
    ChooseListEntry(dialog_, IDC_BITRATE, 10);      // "192 CD"
    ChooseListEntry(dialog_, IDC_QUALITY, 8);       // "VBR 4 - std", adds " --vbr-new"
    ChooseListEntry(dialog_, IDC_MAX_BITRATE, 12);  // "256"
    ClickButton(dialog_, IDX_ID3V2);
    ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    // b.wav holds 1.5 s of silence (16 bits, stereo, 44.1 kHz); its line gives that length.
    const std::string format =
        std::string("fmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0", 24);
    const std::string data = std::string("data\x98\x09\x04\0", 8) + std::string(264600, '\0');
    WriteBytes(u"D:\\Musik\\b.wav",
               "RIFF" + std::string("\xBC\x09\x04\0", 4) + "WAVE" + format + data);
    DropFiles(dialog_, {u"D:\\Musik\\Rock'n'Roll\\01 Intro.mp3", u"D:\\Hörbücher\\Kapitel 2.ogg",
                        u"D:\\Musik\\b.wav"});
    SelectRows(dialog_, {0});
    TypeInto(dialog_, IDE_TITLE, u"Intro \"live\"");
    TypeInto(dialog_, IDE_ARTIST, u"AC\\DC");
    SelectRows(dialog_, {1});
    TypeInto(dialog_, IDE_ALBUM, u"Grüße aus \"Köln\"");
    TypeInto(dialog_, IDE_YEAR, u"1999");
    TypeInto(dialog_, IDE_TRACK_NUMBER, u"2");
    TypeInto(dialog_, IDE_GENRE, u"Hörspiel");
    TypeInto(dialog_, IDE_COMMENT, u"it's \"x\"\\y </script>");
    SelectRows(dialog_, {2});
    TypeInto(dialog_, IDE_ARTIST, u"AC\\");

    EXPECT_EQ(PressSave(), std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
    EXPECT_TRUE(SameBytes(ReadBytes(u"D:\\Musik\\Rock'n'Roll\\Lame-Aufruf.hta"),
                          GoldenBytes("multi_track.hta")));
}

}  // namespace
