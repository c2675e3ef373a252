// The save names the dropped files the bundled encoder cannot read, judged from their content
// (an M4A, a six-channel FLAC, a ".flac" holding text), and either writes the launcher without
// them or writes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/tagged_files.h"

using namespace support;

namespace {

std::filesystem::path PathOf(const std::u16string& path) {
    return std::filesystem::path(std::wstring(path.begin(), path.end()));
}

class UnreadableSave : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        OpenScene(u"unreadable-save", u"Tools\\", "MZ");
        ASSERT_NE(dialog_, nullptr);
        music_ = folder_ + u"Musik Ωδή\\";
        MakeFolders(music_);
        WriteFlacBody(PathOf(music_ + u"gut.flac"));
        WriteM4aBody(PathOf(music_ + u"Lied.m4a"));
        WriteFlacBody(PathOf(music_ + u"sechs Kanäle.flac"));
        // The channel count less one stands in bits 1 to 3 of STREAMINFO's thirteenth byte.
        std::string six = ReadBytes(music_ + u"sechs Kanäle.flac");
        six[8 + 12] = static_cast<char>((six[8 + 12] & ~0x0E) | (5 << 1));
        WriteBytes(music_ + u"sechs Kanäle.flac", six);
        WriteBytes(music_ + u"Text 音.flac", "nur Text, kein Klang\r\n");
        WriteMp3Body(PathOf(music_ + u"auch gut.mp3"));
        DropFiles(dialog_,
                  {music_ + u"gut.flac", music_ + u"Lied.m4a", music_ + u"sechs Kanäle.flac",
                   music_ + u"Text 音.flac", music_ + u"auch gut.mp3"});
        ClickButton(dialog_, IDX_DELETE_ORIGINALS);
    }
    void TearDown() override { CloseScene(); }

    std::u16string music_;
};

TEST_F(UnreadableSave, NamesTheFilesAndWritesTheLauncherWithoutThemOrNothing) {
    const std::u16string expected =
        u"Diese Dateien kann Lame.exe nicht lesen (es liest MP3, WAV, AIFF, FLAC, Ogg Vorbis und "
        u"Opus mit einem oder zwei Kanälen):\r\n\r\n" +
        music_ + u"Lied.m4a\r\n" + music_ + u"sechs Kanäle.flac\r\n" + music_ +
        u"Text 音.flac\r\n\r\nSoll der Launcher ohne diese Dateien gespeichert werden? Bei "
        u"\"Nein\" wird nichts gespeichert.";
    const std::u16string launcher = music_ + u"Lame-Aufruf.hta";
    {
        MessageBoxRecorder recorder({IDNO});
        PressBatchButton(dialog_);
        ASSERT_EQ(recorder.Shown().size(), 1u);
        EXPECT_EQ(PrintableText(recorder.Shown()[0].text), PrintableText(expected));
        EXPECT_EQ(recorder.Shown()[0].buttons, YesNoButtons());
    }
    EXPECT_FALSE(Exists(launcher));
    {
        MessageBoxRecorder recorder({IDYES});
        PressBatchButton(dialog_);
        EXPECT_EQ(recorder.Texts(),
                  (std::vector<std::u16string>{expected, u"Lame-Aufruf.hta wurde geschrieben."}));
    }
    const std::string written = ReadBytes(launcher);
    EXPECT_NE(written.find("gut.flac"), std::string::npos);
    EXPECT_NE(written.find("auch gut.mp3"), std::string::npos);
    EXPECT_EQ(written.find("Lied.m4a"), std::string::npos);
    EXPECT_EQ(written.find("Kan\xC3\xA4le.flac"), std::string::npos);
    EXPECT_EQ(written.find("Text \xE9\x9F\xB3.flac"), std::string::npos);
    // "Orig. löschen" stays on for the tracks written.
    EXPECT_NE(written.find("var deleteOriginals = 1;"), std::string::npos);
}

}  // namespace
