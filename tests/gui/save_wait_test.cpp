// The save's wait for tags still being read: the dialog answers and repaints, shows how far
// the reading is, lets Escape or a close end the wait with nothing written, refuses a second
// save and a drop meanwhile, and asks before writing a launcher that lacks some tracks' tags.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/shell_win.h"
#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/tagged_files.h"
#include "support/window_text_win.h"
#include "sources/cover_picture.h"
#include "tracks/source_tags_win.h"
#include "sources/tag_reader_win.h"

using namespace support;

namespace {

const std::u16string kSlowName = u"langsam.mp3";
const std::u16string kProgressPart = u"Tags werden gelesen";

// Manual reset: the reading of a file whose name ends in kSlowName waits until the test sets it.
HANDLE g_gate = nullptr;

// The save reads every picture again only once the test sets the gate.
bool GatedCoverRead(const char16_t* path, PictureBytes& picture) {
    WaitForSingleObject(g_gate, INFINITE);
    return ReadEmbeddedCover(path, picture);
}

bool GatedRead(const char16_t* path, SourceTags& tags) {
    const std::u16string name(path);
    if (name.size() >= kSlowName.size() &&
        name.compare(name.size() - kSlowName.size(), kSlowName.size(), kSlowName) == 0)
        WaitForSingleObject(g_gate, INFINITE);
    return ReadSourceTags(path, tags);
}

// The title of the dialog, read from another thread by a sent WM_GETTEXT: false when the
// dialog did not answer in time.
bool ReadTitle(HWND dialog, std::u16string& title, UINT timeoutMs = 500) {
    wchar_t buffer[512];
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(dialog, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                             timeoutMs, &copied))
        return false;
    title.assign(buffer, buffer + copied);
    return true;
}

// Polls from another thread until the title holds `part`, for ten seconds at most; the last
// title read.
std::u16string AwaitTitle(HWND dialog, const std::u16string& part) {
    std::u16string title;
    const ULONGLONG end = GetTickCount64() + 10000;
    while (GetTickCount64() < end) {
        if (ReadTitle(dialog, title) && title.find(part) != std::u16string::npos) break;
        Sleep(20);
    }
    return title;
}

// Whether the dialog was destroyed while its save still ran (its state, which the save works
// on, goes with the window).
bool g_destroyedDuringSave = false;

LRESULT CALLBACK WatchDestroy(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_DESTROY) {
        const DialogState* state = MainDialogState(sent->hwnd);
        if (state != nullptr && state->save.running) g_destroyedDuringSave = true;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool SentCommandReturns(HWND dialog, int id) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_NORMAL, 2000,
                               &result) != 0;
}

class SaveWait : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        OpenScene(u"save-wait", u"Tools\\", "MZ");
        ASSERT_NE(dialog_, nullptr);
        music_ = folder_ + u"Musik\\";
        MakeFolders(music_);
        DialogState* state = OpenDialogState();
        PrepareTagReading(*state, 0);
        ASSERT_NE(state->tagReader, nullptr);
        UseTagFileReader(*state->tagReader, GatedRead);
    }
    void TearDown() override {
        SetEvent(g_gate);
        CloseScene();
        CloseHandle(g_gate);
    }

    // Paths in the music folder that need not exist: their reading fails at once.
    std::vector<std::u16string> Names(int count) const {
        std::vector<std::u16string> names;
        for (int i = 1; i <= count; ++i) names.push_back(music_ + u"Lied " + Decimal(i) + u".mp3");
        return names;
    }

    // A dropped MP3 with a picture of its own, its tags in.
    std::u16string DropMp3WithPicture() {
        const std::u16string path = music_ + u"Bild.mp3";
        const std::filesystem::path file{std::wstring(path.begin(), path.end())};
        EXPECT_TRUE(WriteTaggedMp3(file, u"Bild", u"Kåre", u"Sæveröd", u"1"));
        EXPECT_TRUE(AddPictures(file, {{3, MakeJpeg(900)}}));
        DropFiles(dialog_, {path});
        EXPECT_TRUE(PumpUntil([] { return TrackField(0, kTitle) == u"Bild"; }));
        EXPECT_NE(Track(0)->cover.source, CoverSource::kNone);
        OpenDialogState()->output.cover = true;
        return path;
    }

    std::u16string music_;
};

TEST_F(SaveWait, DialogAnswersShowsProgressRefusesChangesAndEscapeWritesNothing) {
    std::vector<std::u16string> names = Names(1500);
    names.push_back(music_ + kSlowName);
    DropFiles(dialog_, names);
    ASSERT_EQ(ListCount(dialog_), 1501);
    const std::u16string before = WindowText(dialog_);
    HWND list = GetDlgItem(dialog_, IDL_FILES);

    std::u16string progress;
    bool repainted = false;
    bool secondSaveReturned = false;
    bool settingsRefused = false;
    std::thread user([&] {
        progress = AwaitTitle(dialog_, u"1.500 von 1.501");
        InvalidateRect(list, nullptr, TRUE);
        const ULONGLONG end = GetTickCount64() + 3000;
        while (!repainted && GetTickCount64() < end) {
            repainted = !GetUpdateRect(list, nullptr, FALSE);
            Sleep(10);
        }
        secondSaveReturned = SentCommandReturns(dialog_, IDB_BATCH);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(dialog_, WM_DROPFILES,
                            reinterpret_cast<WPARAM>(MakeDropHandle({music_ + u"neu.mp3"})), 0,
                            SMTO_NORMAL, 2000, &result);
        SentCommandReturns(dialog_, IDM_SELECT_ALL);
        SentCommandReturns(dialog_, IDB_REMOVE);
        // "Einstellungen..." opens no dialog (a modal one would keep this send from returning);
        // one opened by mistake is closed, so that the test ends.
        settingsRefused = SendMessageTimeoutW(dialog_, WM_SYSCOMMAND, IDM_SETTINGS, 0, SMTO_NORMAL,
                                              2000, &result) != 0;
        if (HWND settings = FindWindowW(L"#32770", L"Einstellungen"))
            PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageW(list, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
    });
    MessageBoxRecorder recorder;
    PressBatchButton(dialog_);
    user.join();

    EXPECT_EQ(progress, u"Tonschleuder – Tags werden gelesen: 1.500 von 1.501 (Esc bricht ab)");
    EXPECT_TRUE(repainted) << "the invalidated list was not painted during the wait";
    EXPECT_TRUE(secondSaveReturned) << "a second save ran inside the first";
    EXPECT_TRUE(settingsRefused) << "the settings could be changed during the save";
    EXPECT_EQ(ListCount(dialog_), 1501);
    EXPECT_EQ(OpenDialogState()->tracks.Count(), 1501u);
    EXPECT_TRUE(recorder.Shown().empty()) << PrintableText(recorder.Texts().at(0));
    EXPECT_TRUE(ReadBytes(music_ + u"Lame-Aufruf.hta") == "<missing>") << "a launcher was written";
    EXPECT_EQ(WindowText(dialog_), before);
}

TEST_F(SaveWait, ClosingTheWindowDuringTheWaitClosesItAfterwardsWithNothingWritten) {
    std::vector<std::u16string> names = Names(3);
    names.push_back(music_ + kSlowName);
    DropFiles(dialog_, names);
    std::thread user([&] {
        AwaitTitle(dialog_, kProgressPart);
        PostMessageW(dialog_, WM_CLOSE, 0, 0);
        // The reading goes on once the wait has ended (the title is back, or the dialog, busy
        // closing, answers no more), so the closing need not wait for it.
        std::u16string title;
        const ULONGLONG end = GetTickCount64() + 10000;
        while (GetTickCount64() < end && ReadTitle(dialog_, title, 1000) &&
               title.find(kProgressPart) != std::u16string::npos)
            Sleep(10);
        SetEvent(g_gate);
    });
    g_destroyedDuringSave = false;
    HHOOK watch = SetWindowsHookExW(WH_CALLWNDPROC, WatchDestroy, nullptr, GetCurrentThreadId());
    MessageBoxRecorder recorder;
    PressBatchButton(dialog_);
    user.join();
    UnhookWindowsHookEx(watch);

    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_FALSE(g_destroyedDuringSave);
    EXPECT_TRUE(recorder.Shown().empty()) << PrintableText(recorder.Texts().at(0));
    EXPECT_TRUE(ReadBytes(music_ + u"Lame-Aufruf.hta") == "<missing>") << "a launcher was written";
    dialog_ = nullptr;
}

// Reading that makes no progress (both threads that read a fixed disk held): the tracks still
// without tags are named, and only a Yes writes the launcher.
TEST_F(SaveWait, StalledReadingNamesTheTracksWithoutTagsAndAsks) {
    const std::u16string question =
        u"\r\n\r\nTrotzdem speichern? Für diese Dateien werden dann nur die Tags geschrieben, "
        u"die Sie selbst gesetzt haben.";
    const std::u16string slow = music_ + kSlowName;
    const std::u16string first = music_ + u"Lied 1.mp3";
    const std::u16string last = music_ + u"Lied 2 " + kSlowName;
    const std::u16string title1 = u"Erstes Lied – Ωδή";
    const std::u16string launcher = music_ + u"Lame-Aufruf.hta";
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "Ja" : "Nein");
        RenewScene(music_);
        PrepareTagReading(*OpenDialogState(), 0);
        UseTagFileReader(*OpenDialogState()->tagReader, GatedRead);
        OpenDialogState()->save.quietLimit = 300;
        ResetEvent(g_gate);
        ASSERT_TRUE(
            WriteTaggedMp3(std::filesystem::path(first), title1, u"Kåre", u"Sæveröd", u"1"));
        WriteMp3Body(std::filesystem::path(slow));
        WriteMp3Body(std::filesystem::path(last));
        DropFiles(dialog_, {first, slow, last});
        // The first track's tags are in before the save: only the other two can be named.
        ASSERT_TRUE(PumpUntil([&] { return TrackField(0, kTitle) == title1; }));
        std::vector<ShownMessage> shown;
        {
            MessageBoxRecorder recorder({answer, IDOK});
            PressBatchButton(dialog_);
            shown = recorder.Shown();
        }
        SetEvent(g_gate);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(PrintableText(shown[0].text),
                  PrintableText(u"Die Tags dieser 2 Dateien sind noch nicht gelesen, und das "
                                u"Lesen kommt nicht mehr voran:\r\n\r\n" +
                                slow + u"\r\n" + last + question));
        EXPECT_EQ(shown[0].caption, u"Tonschleuder");
        EXPECT_EQ(shown[0].buttons, YesNoButtons());
        EXPECT_FALSE(shown[0].hasIcon);
        EXPECT_EQ(shown[0].owner, dialog_);
        if (answer == IDNO) {
            EXPECT_EQ(shown.size(), 1u);
            EXPECT_TRUE(ReadBytes(launcher) == "<missing>") << "a launcher was written";
            continue;
        }
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[1].text, u"Lame-Aufruf.hta wurde geschrieben.");
        const std::string bytes = ReadBytes(launcher);
        EXPECT_NE(bytes.find("Erstes Lied \xE2\x80\x93 \xCE\xA9\xCE\xB4\xCE\xAE"),
                  std::string::npos);
        EXPECT_NE(bytes.find("langsam.mp3"), std::string::npos);
    }
}

TEST_F(SaveWait, ALongListOfTracksWithoutTagsIsShortened) {
    OpenDialogState()->save.quietLimit = 300;
    std::vector<std::u16string> names = Names(11);
    names.insert(names.begin(), {music_ + kSlowName, music_ + u"Zweites " + kSlowName});
    DropFiles(dialog_, names);
    MessageBoxRecorder recorder({IDNO});
    PressBatchButton(dialog_);
    ASSERT_EQ(recorder.Shown().size(), 1u);
    const std::u16string text = recorder.Shown()[0].text;
    EXPECT_EQ(text.find(u"Die Tags dieser 13 Dateien"), 0u) << PrintableText(text);
    EXPECT_NE(text.find(music_ + u"Lied 8.mp3\r\n… und 3 weitere\r\n\r\nTrotzdem"),
              std::u16string::npos)
        << PrintableText(text);
    EXPECT_EQ(text.find(u"Lied 9.mp3"), std::u16string::npos) << PrintableText(text);
}

// A share that stalls after the drop: the save reads the pictures again under its wait, so
// the window answers, shows the progress, and Escape ends the save with nothing written.
TEST_F(SaveWait, StalledPictureReadingKeepsTheWindowAnsweringAndEscapeWritesNothing) {
    DropMp3WithPicture();
    OpenDialogState()->save.readCover = GatedCoverRead;
    const std::u16string before = WindowText(dialog_);
    std::u16string progress;
    bool answered = false;
    std::thread user([&] {
        progress = AwaitTitle(dialog_, u"Cover werden gelesen");
        answered = SentCommandReturns(dialog_, IDB_BATCH);
        HWND list = GetDlgItem(dialog_, IDL_FILES);
        PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageW(list, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
        // The reading goes on once the wait has ended (its title is gone: read without a
        // message, which the dialog's thread, back in the test, does not answer), and a save
        // that reads on the dialog's own thread goes on at once.
        wchar_t title[512];
        const ULONGLONG end = GetTickCount64() + 10000;
        while (GetTickCount64() < end && InternalGetWindowText(dialog_, title, 512) > 0 &&
               std::wstring(title).find(L"Cover werden gelesen") != std::wstring::npos)
            Sleep(10);
        SetEvent(g_gate);
    });
    MessageBoxRecorder recorder;
    PressBatchButton(dialog_);
    user.join();

    EXPECT_EQ(progress, u"Tonschleuder – Cover werden gelesen: 0 von 1 (Esc bricht ab)");
    EXPECT_TRUE(answered) << "the window did not answer while the picture was read";
    EXPECT_TRUE(recorder.Shown().empty()) << PrintableText(recorder.Texts().at(0));
    EXPECT_TRUE(ReadBytes(music_ + u"Lame-Aufruf.hta") == "<missing>") << "a launcher was written";
    EXPECT_FALSE(Exists(music_ + u"Lame-Aufruf-Cover")) << "pictures were written";
    EXPECT_EQ(WindowText(dialog_), before);
}

// A launcher that cannot be replaced is told of, and no picture is written for it.
TEST_F(SaveWait, ALauncherThatCannotBeWrittenLeavesNoFolderOfCovers) {
    DropMp3WithPicture();
    const std::u16string launcher = music_ + u"Lame-Aufruf.hta";
    ASSERT_TRUE(WriteBytes(launcher, "alt"));
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<const wchar_t*>(launcher.c_str()),
                                   FILE_ATTRIBUTE_READONLY));
    std::vector<std::u16string> texts;
    {
        MessageBoxRecorder recorder({IDYES, IDOK});
        PressBatchButton(dialog_);
        texts = recorder.Texts();
    }
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(launcher.c_str()), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], launcher + u"\r\nkonnte nicht zum Schreiben geöffnet werden!");
    EXPECT_EQ(ReadBytes(launcher), "alt");
    EXPECT_FALSE(Exists(music_ + u"Lame-Aufruf-Cover")) << "pictures were written";
}

}  // namespace
