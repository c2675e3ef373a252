// Dropped folders on the real dialog: each brings the music in it and below it, in the order
// Explorer shows it, while the dialog goes on; Escape keeps what was found.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/tagged_files.h"
#include "support/window_text_win.h"
#include "tracks/folder_drop_win.h"

using namespace support;

namespace {

class FolderDrop : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        OpenScene(u"folder-drop", u"Tools\\", "MZ");
        ASSERT_NE(dialog_, nullptr);
        music_ = folder_ + u"Musik\\";
        MakeFolders(music_);
    }
    void TearDown() override { CloseScene(); }

    // Writes each file (a path below music_; a name ending in a backslash is a folder).
    void Lay(const std::vector<std::pair<std::u16string, std::string>>& files) {
        for (const auto& [name, bytes] : files) {
            if (name.back() == u'\\') {
                ASSERT_TRUE(MakeFolders(music_ + name));
                continue;
            }
            MakeFolders(music_ + name.substr(0, name.rfind(u'\\') + 1));
            ASSERT_TRUE(WriteBytes(music_ + name, bytes)) << Utf8(name);
        }
    }

    // Drops the names and waits for the listing to end; yields the rows below music_.
    std::vector<std::u16string> DropAndList(const std::vector<std::u16string>& names) {
        DropFiles(dialog_, names);
        EXPECT_TRUE(PumpUntil([] { return !IsListingFolders(*OpenDialogState()); }, 20000));
        return Rows();
    }

    std::vector<std::u16string> Rows() {
        std::vector<std::u16string> rows;
        for (int i = 0; Track(i) != nullptr; ++i) {
            const std::u16string path = Track(i)->fields[kPath].Text();
            rows.push_back(path.rfind(music_, 0) == 0 ? path.substr(music_.size()) : path);
        }
        return rows;
    }

    std::u16string music_;
};

const std::string kMusic = AudioBytes("Musik");

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// An album as a user keeps it: the tracks in natural order, a second disc after them, and
// what is no music left out: the cover, notes, a playlist, a launcher and its cover folder,
// hidden and system files, a text without a name's hint; a file whose name says nothing but
// holds music is listed.
TEST_F(FolderDrop, AnAlbumFolderBringsItsMusicInExplorersOrder) {
    Lay({{u"Album\\10 Titel.mp3", kMusic},
         {u"Album\\2 Titel.MP3", kMusic},
         {u"Album\\1 titel.flac", kMusic},
         {u"Album\\Bonus", kMusic},
         {u"Album\\LIESMICH", "Nur Text"},
         {u"Album\\cover.jpg", "\xFF\xD8\xFF"},
         {u"Album\\Notizen.txt", "Text"},
         {u"Album\\Album.m3u8", "10 Titel.mp3"},
         {u"Album\\Lame-Aufruf.hta", "<html>"},
         {u"Album\\Lame-Aufruf-Cover\\1.mp3", kMusic},
         {u"Album\\.versteckt.mp3", kMusic},
         {u"Album\\Versteckt.mp3", kMusic},
         {u"Album\\System.mp3", kMusic},
         {u"Album\\Leer\\", ""},
         {u"Album\\CD 2\\1 Titel.wav", kMusic},
         {u"Album\\cd 10\\1 Titel.wav", kMusic}});
    ASSERT_TRUE(SetFileAttributesW(W(music_ + u"Album\\Versteckt.mp3"), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW(W(music_ + u"Album\\System.mp3"), FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(DropAndList({music_ + u"Album"}),
              (std::vector<std::u16string>{
                  u"Album\\1 titel.flac", u"Album\\2 Titel.MP3", u"Album\\10 Titel.mp3",
                  u"Album\\Bonus", u"Album\\CD 2\\1 Titel.wav", u"Album\\cd 10\\1 Titel.wav"}));
    EXPECT_EQ(WindowText(dialog_), u"Tonschleuder V 1.6") << "the title is given back";
}

// A library of two artists, their albums nested at different depths: artists and albums in
// natural order, letter case aside, each album's tracks before the next; the tags are read as
// a dropped file's.
TEST_F(FolderDrop, ALibraryListsEachArtistsAlbumsInTurnWithTheirTags) {
    Lay({{u"Bibliothek\\beta\\Album 10\\1.mp3", kMusic},
         {u"Bibliothek\\beta\\Album 9\\1.mp3", kMusic},
         {u"Bibliothek\\beta\\Album 9\\Bonus\\Live\\1.mp3", kMusic},
         {u"Bibliothek\\Alpha\\Erstes\\2.mp3", kMusic},
         {u"Bibliothek\\Alpha\\Lose.mp3", kMusic}});
    const std::u16string tagged = music_ + u"Bibliothek\\Alpha\\Erstes\\1.mp3";
    ASSERT_TRUE(WriteTaggedMp3(std::filesystem::path(std::wstring(tagged.begin(), tagged.end())),
                               u"Eins", u"Alpha", u"Erstes", u"1/2"));
    EXPECT_EQ(DropAndList({music_ + u"Bibliothek"}),
              (std::vector<std::u16string>{
                  u"Bibliothek\\Alpha\\Lose.mp3", u"Bibliothek\\Alpha\\Erstes\\1.mp3",
                  u"Bibliothek\\Alpha\\Erstes\\2.mp3", u"Bibliothek\\beta\\Album 9\\1.mp3",
                  u"Bibliothek\\beta\\Album 9\\Bonus\\Live\\1.mp3",
                  u"Bibliothek\\beta\\Album 10\\1.mp3"}));
    EXPECT_TRUE(PumpUntil([] { return TrackField(1, kTitle) == u"Eins"; }, 20000));
    EXPECT_EQ(TrackField(1, kAlbum), u"Erstes");
}

// Files and folders dropped together keep their places, and a drop while a listing runs
// comes after it.
TEST_F(FolderDrop, FilesAndFoldersKeepTheirPlacesInTheDrop) {
    Lay({{u"a.mp3", kMusic}, {u"Ordner\\b.mp3", kMusic}, {u"c.wav", kMusic}, {u"d.mp3", kMusic}});
    DropFiles(dialog_, {music_ + u"c.wav", music_ + u"Ordner", music_ + u"a.mp3"});
    DropFiles(dialog_, {music_ + u"d.mp3"});
    EXPECT_TRUE(PumpUntil([] { return !IsListingFolders(*OpenDialogState()); }, 20000));
    EXPECT_EQ(Rows(),
              (std::vector<std::u16string>{u"c.wav", u"Ordner\\b.mp3", u"a.mp3", u"d.mp3"}));
}

// A link back to a parent folder is not followed twice, and a file reached through a second
// name is listed once (host links: Wine 8's CreateSymbolicLinkW makes none).
TEST_F(FolderDrop, LinksBackToAFolderOrFileAlreadyListedAreFollowedOnce) {
    Lay({{u"Sammlung\\Lose.mp3", kMusic},
         {u"Sammlung\\Album\\a.mp3", kMusic},
         {u"Sammlung\\Album\\c.mp3", kMusic}});
    const std::string album = UnixPathOf(music_ + u"Sammlung\\Album");
    ASSERT_TRUE(RunHostProgram({"/bin/ln", "-s", UnixPathOf(music_ + u"Sammlung"),
                                album + "/Zur\xc3\xbc"
                                        "ck"}));
    ASSERT_TRUE(RunHostProgram({"/bin/ln", "-s", album + "/a.mp3", album + "/b.mp3"}));
    ASSERT_TRUE(WaitUntil([&] {
        return Exists(music_ + u"Sammlung\\Album\\Zurück\\Album") &&
               Exists(music_ + u"Sammlung\\Album\\b.mp3");
    }));
    EXPECT_EQ(DropAndList({music_ + u"Sammlung"}),
              (std::vector<std::u16string>{u"Sammlung\\Lose.mp3", u"Sammlung\\Album\\a.mp3",
                                           u"Sammlung\\Album\\c.mp3"}));
}

HANDLE g_gate = nullptr;
std::atomic<int> g_waitingAtGate{0};

// The folder "Stau" answers only once the gate opens, as a share that stalls.
void StallAtGate(const char16_t* folder) {
    const std::u16string path = folder;
    if (path.size() < 5 || path.substr(path.size() - 5) != u"\\Stau") return;
    ++g_waitingAtGate;
    WaitForSingleObject(g_gate, 60000);
}

// A folder that stalls keeps neither the window nor the rows found before it: the dialog
// takes a keystroke meanwhile, and Escape ends the listing with what was found.
TEST_F(FolderDrop, EscapeEndsAStalledListingAndKeepsWhatWasFound) {
    Lay({{u"A\\1.mp3", kMusic},
         {u"A\\2.mp3", kMusic},
         {u"A\\Stau\\3.mp3", kMusic},
         {u"A\\Z\\4.mp3", kMusic}});
    g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_waitingAtGate = 0;
    OpenDialogState()->folderVisit = StallAtGate;
    DropFiles(dialog_, {music_ + u"A"});
    ASSERT_TRUE(PumpUntil([&] { return g_waitingAtGate == 1 && ListCount(dialog_) == 2; }, 20000));
    EXPECT_TRUE(IsListingFolders(*OpenDialogState()));
    EXPECT_EQ(WindowText(dialog_),
              u"Tonschleuder – Ordner werden durchsucht: 2 Titel gefunden (Esc bricht ab)");

    SelectRows(dialog_, {1});
    TypeInto(dialog_, IDE_ALBUM, u"X");
    EXPECT_EQ(TrackField(1, kAlbum), u"X") << "the dialog answers while the folder stalls";

    SendKeyThroughLoop(dialog_, VK_ESCAPE);
    EXPECT_FALSE(IsListingFolders(*OpenDialogState()));
    EXPECT_EQ(WindowText(dialog_), u"Tonschleuder V 1.6");
    SetEvent(g_gate);
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"A\\1.mp3", u"A\\2.mp3"}));
    CloseHandle(g_gate);
}

// "Batch (.hta) speichern" while a folder is still being listed waits for the listing: the
// launcher holds every track, also those found after the press.
TEST_F(FolderDrop, TheSaveWaitsForTheListing) {
    Lay({{u"B\\1.mp3", kMusic}, {u"B\\Stau\\2.mp3", kMusic}});
    g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_waitingAtGate = 0;
    OpenDialogState()->folderVisit = StallAtGate;
    DropFiles(dialog_, {music_ + u"B"});
    ASSERT_TRUE(PumpUntil([&] { return g_waitingAtGate == 1; }, 20000));
    // The gate opens while the save waits.
    HANDLE opener = CreateThread(
        nullptr, 0,
        [](void*) -> DWORD {
            Sleep(300);
            SetEvent(g_gate);
            return 0;
        },
        nullptr, 0, nullptr);
    {
        MessageBoxRecorder recorder;
        PressBatchButton(dialog_);
        EXPECT_EQ(recorder.Texts(),
                  std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."});
    }
    WaitForSingleObject(opener, 5000);
    CloseHandle(opener);
    CloseHandle(g_gate);
    const std::string launcher = ReadBytes(music_ + u"B\\Lame-Aufruf.hta");
    size_t runs = 0;
    for (size_t at = 0; (at = launcher.find("callRun ('", at)) != std::string::npos; ++at) ++runs;
    EXPECT_EQ(runs, 2u);
}

}  // namespace
