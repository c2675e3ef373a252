// Dropped files' tags on the real dialog: read in the background, shown as they arrive, and
// never at the cost of what the user set, of another track, or of a launcher's tags.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <iterator>
#include <utility>
#include <vector>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/tagged_files.h"
#include "sources/cover_picture.h"
#include "tracks/folder_drop_win.h"
#include "tracks/source_tags_win.h"
#include "sources/tag_reader_win.h"

using namespace support;

namespace {

struct Album {
    std::u16string folder;
    std::vector<std::u16string> paths;
    std::vector<std::u16string> titles;
};

// Tracks "Lied 1" .. "Lied n" of "Sæveröd" by "Kåre Ødegård", numbered "k/n".
Album MakeAlbum(const std::u16string& folder, int count) {
    Album album{folder, {}, {}};
    for (int i = 1; i <= count; ++i) {
        const std::u16string number = Decimal(i);
        const std::u16string path = folder + u"Lied " + number + u".mp3";
        const std::u16string title = u"Lied " + number + u" – Ωδή";
        WriteTaggedMp3(std::filesystem::path(std::wstring(path.begin(), path.end())), title,
                       u"Kåre Ødegård", u"Sæveröd", number + u"/" + Decimal(count));
        album.paths.push_back(path);
        album.titles.push_back(title);
    }
    return album;
}

// A drop whose tags cannot arrive before the caller pumps messages: no pump here.
void DropWithoutPumping(HWND dialog, const std::vector<std::u16string>& names) {
    SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle(names)), 0);
}

// Every file is read and its result waits for the dialog.
bool WaitForReaderIdle() {
    return WaitUntil([] {
        TagReader* reader = OpenDialogState()->tagReader;
        return reader == nullptr || IsTagReaderIdle(*reader);
    });
}

std::u16string FlagsOf(int track) {
    char16_t flags[kFlagTextLength + 1];
    BuildFlagText(*Track(track), flags);
    return flags;
}

class SourceTagsGui : public ::testing::Test, protected LauncherScene {
  protected:
    void SetUp() override {
        OpenScene(u"source-tags", u"Tools\\", "MZ");
        ASSERT_NE(dialog_, nullptr);
        music_ = folder_ + u"Musik\\";
        MakeFolders(music_);
    }
    void TearDown() override { CloseScene(); }

    // Pumps until every track whose path is in the album shows its title.
    bool WaitForTitles(const Album& album) {
        return PumpUntil(
            [&] {
                for (int i = 0; Track(i) != nullptr; ++i) {
                    const std::u16string path = Track(i)->fields[kPath].Text();
                    for (size_t k = 0; k < album.paths.size(); ++k) {
                        if (path == album.paths[k] && TrackField(i, kTitle) != album.titles[k])
                            return false;
                    }
                }
                return true;
            },
            20000);
    }

    std::u16string music_;
};

TEST_F(SourceTagsGui, DroppedTaggedFilesShowTheirValuesAndFlags) {
    const Album album = MakeAlbum(music_, 3);
    const std::u16string untagged = music_ + u"plain.mp3";
    WriteMp3Body(std::filesystem::path(std::wstring(untagged.begin(), untagged.end())));
    std::vector<std::u16string> names = album.paths;
    names.push_back(untagged);
    DropFiles(dialog_, names);
    ASSERT_EQ(ListCount(dialog_), 4);  // the rows are there before any tag
    ASSERT_TRUE(WaitForTitles(album));

    SelectRows(dialog_, {1});
    EXPECT_EQ(ControlText(dialog_, IDE_TITLE), album.titles[1]);
    EXPECT_EQ(ControlText(dialog_, IDE_ARTIST), u"Kåre Ødegård");
    EXPECT_EQ(ControlText(dialog_, IDE_ALBUM), u"Sæveröd");
    EXPECT_EQ(ControlText(dialog_, IDE_TRACK_NUMBER), u"2/3");
    EXPECT_EQ(ControlText(dialog_, IDE_YEAR), u"1997");
    EXPECT_EQ(ControlText(dialog_, IDE_GENRE), u"Rock");
    EXPECT_EQ(ControlText(dialog_, IDE_COMMENT), u"ripped");
    EXPECT_EQ(FlagsOf(0), u"  KATNJ#G");
    EXPECT_EQ(FlagsOf(3), u"  -------");
}

TEST_F(SourceTagsGui, TagsArrivingForTheSelectedTrackFillItsFields) {
    const Album album = MakeAlbum(music_, 1);
    DropWithoutPumping(dialog_, album.paths);
    SelectRows(dialog_, {0});
    ASSERT_TRUE(WaitForTitles(album));
    EXPECT_EQ(ControlText(dialog_, IDE_TITLE), album.titles[0]);
    EXPECT_EQ(ControlText(dialog_, IDE_ALBUM), u"Sæveröd");
}

TEST_F(SourceTagsGui, ValuesSetBeforeTheTagsArriveAreKept) {
    const Album album = MakeAlbum(music_, 3);
    DropWithoutPumping(dialog_, album.paths);
    // Typed into track 1's title, and a number for all, while their tags are still out.
    SelectAndTypeWithoutPumping(dialog_, 1, IDE_TITLE, u"Mein Titel");
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDB_NUMBER, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDB_NUMBER)));
    ASSERT_TRUE(WaitForReaderIdle());
    PumpMessages();

    EXPECT_EQ(TrackField(1, kTitle), u"Mein Titel");
    EXPECT_EQ(TrackField(1, kArtist), u"Kåre Ødegård");  // the fields left alone fill in
    EXPECT_EQ(TrackField(0, kTitle), album.titles[0]);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(TrackField(i, kTrackNumber), Decimal(i + 1));
    EXPECT_EQ(ControlText(dialog_, IDE_TITLE), u"Mein Titel");
    EXPECT_EQ(ControlText(dialog_, IDE_ALBUM), u"Sæveröd");
}

TEST_F(SourceTagsGui, RemovingAndMovingWhileTagsAreReadKeepsEachTrackItsOwnTags) {
    const Album album = MakeAlbum(music_, 12);
    DropWithoutPumping(dialog_, album.paths);
    HWND list = GetDlgItem(dialog_, IDL_FILES);
    for (int row : {2, 3, 7}) SendMessageW(list, LB_SETSEL, TRUE, row);
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDB_REMOVE, BN_CLICKED), 0);
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    SendMessageW(list, LB_SETSEL, TRUE, 5);
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDB_UP, BN_CLICKED), 0);
    ASSERT_TRUE(WaitForReaderIdle());
    PumpMessages();

    ASSERT_EQ(OpenDialogState()->tracks.Count(), 9u);
    for (int i = 0; Track(i) != nullptr; ++i) {
        const std::u16string path = Track(i)->fields[kPath].Text();
        size_t k = 0;
        while (k < album.paths.size() && album.paths[k] != path) ++k;
        ASSERT_LT(k, album.paths.size());
        EXPECT_EQ(TrackField(i, kTitle), album.titles[k]) << "row " << i;
        EXPECT_EQ(TrackField(i, kTrackNumber), Decimal(static_cast<int>(k + 1)) + u"/12");
    }
}

double PeakWorkingSetMb() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024 * 1024);
}

// Each crafted file is dropped with a tagged MP3 behind it: the reading survives the file and
// the MP3's title arrives. The time is the drop's until that title is in; the memory is what
// the process's peak working set grew by.
TEST_F(SourceTagsGui, CraftedFilesLeaveTheReadingToTheFilesAfterThem) {
    int step = 0;
    for (const CraftedFile& crafted : MakeCraftedFiles()) {
        SCOPED_TRACE(crafted.what);
        const std::u16string path = music_ + crafted.name;
        ASSERT_TRUE(WriteBytes(path, crafted.bytes));
        const Album after = MakeAlbum(music_ + Decimal(++step) + u"-", 1);
        const double peakBefore = PeakWorkingSetMb();
        const auto start = std::chrono::steady_clock::now();
        DropFiles(dialog_, {path, after.paths[0]});
        ASSERT_TRUE(WaitForTitles(after)) << "the file after it got no tags";
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const int row = ListCount(dialog_) - 2;
        EXPECT_EQ(TrackField(row, kTitle), crafted.title);
        std::printf(
            "[ limits   ] %s: title of the next file after %.0f ms, peak working set "
            "+%.1f MB\n",
            crafted.what, ms, PeakWorkingSetMb() - peakBefore);
    }
}

HANDLE g_release = nullptr;

bool EndsWith(const char16_t* text, const std::u16string& end) {
    const std::u16string whole(text);
    return whole.size() >= end.size() &&
           whole.compare(whole.size() - end.size(), end.size(), end) == 0;
}

// A file that ends the reading thread (as a stack overflow does under Wine), and one whose
// reading hangs until the test lets it go (as on a stalled share).
bool HostileRead(const char16_t* path, SourceTags& tags) {
    if (EndsWith(path, u"Ende.mp3")) ExitThread(0);
    if (EndsWith(path, u"Hängt.mp3")) WaitForSingleObject(g_release, 30000);
    return ReadSourceTags(path, tags);
}

TEST_F(SourceTagsGui, FilesAfterOneThatEndsOrHangsTheReadingThreadStillGetTheirTags) {
    g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DialogState* state = OpenDialogState();
    PrepareTagReading(*state, 0);
    ASSERT_NE(state->tagReader, nullptr);
    UseTagFileReader(*state->tagReader, HostileRead);
    const std::vector<std::u16string> names = {music_ + u"Ende.mp3", music_ + u"Danach.mp3",
                                               music_ + u"Hängt.mp3", music_ + u"Zuletzt.mp3"};
    for (const std::u16string& name : names) {
        const std::u16string title = name.substr(music_.size(), name.size() - music_.size() - 4);
        ASSERT_TRUE(WriteTaggedMp3(std::filesystem::path(std::wstring(name.begin(), name.end())),
                                   title, u"Kåre", u"Sæveröd", u"1"));
    }
    DropFiles(dialog_, names);
    EXPECT_TRUE(PumpUntil([] { return TrackField(1, kTitle) == u"Danach"; }, 20000));
    EXPECT_EQ(TrackField(0, kTitle), u"");
    // The hanging file is still being read, and its result can still come; a fixed disk is
    // read by two threads, so the file behind it does not wait for it.
    EXPECT_TRUE(PumpUntil([] { return TrackField(3, kTitle) == u"Zuletzt"; }, 20000));
    EXPECT_EQ(TrackField(2, kTitle), u"");
    EXPECT_FALSE(IsTagReaderIdle(*state->tagReader));
    SetEvent(g_release);
    EXPECT_TRUE(PumpUntil([] { return TrackField(2, kTitle) == u"Hängt"; }, 20000));
    EXPECT_TRUE(WaitForReaderIdle());
    CloseHandle(g_release);
}

// Reads of files on "\\Server\..." shares wait until the test opens the gate, as on shares
// that stopped answering; the counts say how many threads were in such a read at once.
HANDLE g_shareGate = nullptr;
LONG g_inStalledShares = 0;
LONG g_mostInStalledShares = 0;
LONG g_inFirstShare = 0;
LONG g_mostInFirstShare = 0;
const std::u16string kStalledShares = u"\\\\Server\\";
const std::u16string kFirstShare = u"\\\\Server\\Stau\\";

void CountMost(LONG& in, LONG& most) {
    const LONG now = InterlockedIncrement(&in);
    LONG seen = most;
    while (now > seen && InterlockedCompareExchange(&most, now, seen) != seen) seen = most;
}

bool StalledShareRead(const char16_t* path, SourceTags& tags) {
    const std::u16string name(path);
    if (name.compare(0, kStalledShares.size(), kStalledShares) != 0)
        return ReadSourceTags(path, tags);
    const bool first = name.compare(0, kFirstShare.size(), kFirstShare) == 0;
    CountMost(g_inStalledShares, g_mostInStalledShares);
    if (first) CountMost(g_inFirstShare, g_mostInFirstShare);
    WaitForSingleObject(g_shareGate, 60000);
    if (first) InterlockedDecrement(&g_inFirstShare);
    InterlockedDecrement(&g_inStalledShares);
    // No folder of the share is listed for a cover.
    tags.cover.source = CoverSource::kFolder;
    return false;
}

// Twenty files on a stalled share hold one thread and that share's files only: a local file
// dropped after them is read at once, long before the stalled thread would be given up.
// Shares that stall one after another, their threads given up, never hold more threads than
// the cap, and every late result still arrives.
TEST_F(SourceTagsGui, AStalledShareHoldsBackOnlyItsOwnFiles) {
    g_shareGate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    TagReader* reader = StartTagReader(dialog_, 1);
    ASSERT_NE(reader, nullptr);
    UseTagFileReader(*reader, StalledShareRead, 600000);
    uint32_t id = 0;
    auto queue = [&](const std::u16string& path) {
        WideString text;
        text.AssignText(path.c_str());
        ASSERT_TRUE(QueueTagJob(*reader, ++id, text));
        WakeTagReader(*reader);
    };
    std::vector<uint32_t> arrived;
    auto take = [&] {
        PointerArray<TagResult> results;
        TakeTagResults(*reader, results);
        for (uint32_t i = 0; i < results.Count(); ++i) arrived.push_back(results.GetAt(i)->id);
        return arrived;
    };

    for (int i = 1; i <= 20; ++i) queue(kFirstShare + u"Lied " + Decimal(i) + u".mp3");
    ASSERT_TRUE(WaitUntil([] { return g_inFirstShare == 1; }));
    const Album local = MakeAlbum(music_, 1);
    queue(local.paths[0]);
    EXPECT_TRUE(WaitUntil([&] { return !take().empty(); }));
    EXPECT_EQ(arrived, std::vector<uint32_t>{21});

    UseTagFileReader(*reader, StalledShareRead, 100);
    for (int i = 1; i <= 20; ++i) queue(kStalledShares + u"Stau" + Decimal(i) + u"\\Lied.mp3");
    EXPECT_TRUE(WaitUntil([] { return g_inStalledShares == kMostTagReadingThreads; }));
    // Long enough for many more threads to be given up.
    Sleep(1500);
    EXPECT_EQ(g_mostInStalledShares, kMostTagReadingThreads);
    EXPECT_EQ(g_mostInFirstShare, 1);

    SetEvent(g_shareGate);
    EXPECT_TRUE(WaitUntil([&] { return take().size() == 41; }, 60000)) << arrived.size();
    EXPECT_TRUE(IsTagReaderIdle(*reader));
    StopTagReader(reader);
    CloseHandle(g_shareGate);
}

TEST_F(SourceTagsGui, LauncherWrittenRightAfterTheDropCarriesEveryTracksTags) {
    const Album album = MakeAlbum(music_, 6);
    DropWithoutPumping(dialog_, album.paths);
    {
        MessageBoxRecorder recorder({IDOK});
        PressBatchButton(dialog_);
    }
    const std::string launcher = ReadBytes(music_ + u"Lame-Aufruf.hta");
    ASSERT_NE(launcher, "<missing>");
    int lines = 0;
    size_t start = 0;
    while ((start = launcher.find("callRun (", start)) != std::string::npos) {
        const size_t end = launcher.find('\n', start);
        const std::string line = launcher.substr(start, end - start);
        start = end;
        for (int k = 1; k <= 6; ++k) {
            const std::string file = "Lied " + std::to_string(k) + ".mp3";
            if (line.find(file) == std::string::npos) continue;
            ++lines;
            EXPECT_NE(
                line.find("Lied " + std::to_string(k) + " \xE2\x80\x93 \xCE\xA9\xCE\xB4\xCE\xAE"),
                std::string::npos)
                << line;
            EXPECT_NE(line.find("K\xC3\xA5re \xC3\x98"
                                "deg\xC3\xA5rd"),
                      std::string::npos)
                << line;
            EXPECT_NE(line.find(std::to_string(k) + "/6"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(lines, 6);
}

// A WAV without a picture takes its folder's cover image, judged by its bytes, and an image of
// another name is never taken: dropped as a file, and found in a dropped folder (whose listing
// hands the reader the folder's names).
TEST_F(SourceTagsGui, WavTakesTheCoverImageBesideIt) {
    const std::string jpeg = MakeJpeg(900);
    const std::string png = MakePng(700);
    const struct Row {
        const char16_t* folder;
        std::vector<std::pair<std::u16string, std::string>> images;
        std::u16string cover;  // empty: none
        std::string bytes;
    } rows[] = {
        {u"Album\\", {{u"scan.jpg", png}, {u"Cover.JPG", jpeg}}, u"Cover.JPG", jpeg},
        {u"Scans\\", {{u"scan.jpg", jpeg}}, u"", ""},
        {u"Kaputt\\",
         {{u"cover.jpg", jpeg.substr(0, 400)}, {u"FRONT.png", png}},
         u"FRONT.png",
         png},
    };
    std::vector<std::u16string> names;
    for (const Row& row : rows) {
        const std::u16string folder = music_ + row.folder;
        ASSERT_TRUE(MakeFolders(folder));
        for (const auto& image : row.images)
            ASSERT_TRUE(WriteBytes(folder + image.first, image.second));
        names.push_back(folder + u"Track.wav");
        WriteWavBody(std::filesystem::path(std::wstring(names.back().begin(), names.back().end())));
    }
    DropFiles(dialog_, names);
    ASSERT_TRUE(WaitForReaderIdle());
    std::vector<std::u16string> folders;
    for (const Row& row : rows) folders.push_back(music_ + row.folder);
    DropFiles(dialog_, folders);
    ASSERT_TRUE(PumpUntil([] { return !IsListingFolders(*OpenDialogState()); }, 20000));
    ASSERT_TRUE(WaitForReaderIdle());
    PumpMessages();
    ASSERT_EQ(ListCount(dialog_), int(2 * std::size(rows)));
    for (size_t i = 0; i < 2 * std::size(rows); ++i) {
        const Row& row = rows[i % std::size(rows)];
        SCOPED_TRACE(Utf8(row.folder) + (i < std::size(rows) ? " dropped" : " listed"));
        const TrackCover& cover = Track(static_cast<int>(i))->cover;
        if (row.cover.empty()) {
            EXPECT_EQ(CoverSource::kNone, cover.source);
            continue;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(row.bytes.data());
        EXPECT_EQ(CoverSource::kFolder, cover.source);
        EXPECT_EQ(music_ + row.folder + row.cover, std::u16string(cover.folderImage.Text()));
        EXPECT_EQ(JudgePicture(bytes, row.bytes.size()), cover.kind);
        EXPECT_EQ(row.bytes.size(), cover.size);
        EXPECT_EQ(PictureHash(bytes, row.bytes.size()), cover.hash);
    }
}

}  // namespace
