// A music library dropped as one folder on the real dialog under Wine: <tracks> tagged MP3s in
// <tracks>/10 album folders (ten albums per artist, each with its cover.jpg beside the tracks).
// On a fresh dialog each time, the median of the repetitions of: the drop of the library's
// root folder until the last row is listed; until every track's tags are read; one keystroke
// in "Album:" with one row selected while the listing runs; "Batch (.hta) &speichern" until
// "Lame-Aufruf.hta wurde geschrieben."; and the process's memory. Then the page of the launcher
// the first save wrote, run by Wine's script host with the stand-in encoder: from the script
// host's start until the second encode runs, and its memory with every track queued. Beside
// these, what their causes cost alone: the listing thread, TagLib, the folders' identities.
// The library is made once per size and kept in the Wine prefix's temporary folder (a marker
// file beside it says it is whole); when it was made, a fresh process of this program measures.
//   tools/wine-run --prefix build/windows/wineprefix --unmanaged
//   build/windows/bench/win/library_bench.exe <tracks> [repetitions]
// or library_bench.exe <tracks> --make to make the library only.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "launcher/cover_files.h"
#include "launcher/launcher_names.h"
#include "launcher/launcher_script.h"
#include "outputs/folder_keys_win.h"
#include "resources/control_ids.h"
#include "sources/folder_cover_cache_win.h"
#include "sources/folder_listing_win.h"
#include "sources/source_tags.h"
#include "sources/tag_reader_win.h"
#include "tracks/source_tags_win.h"
#include "support/files_win.h"
#include "support/tagged_files.h"
#include "tracks/folder_drop_win.h"

using namespace support;

namespace {

constexpr int kTracksPerAlbum = 10;
constexpr int kAlbumsPerArtist = 10;
constexpr int kSamples = 200;  // rows whose tags are compared with their file's
constexpr int kEncodeMs = 2000;

double Milliseconds(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    std::u16string folder = reinterpret_cast<const char16_t*>(temp);
    if (folder.empty() || folder.back() != u'\\') folder += u'\\';
    return folder;
}

// A 32 x 32 baseline JPEG (a gradient), 320 bytes.
const char kCoverJpeg[] =
    "\xFF\xD8\xFF\xE0\x00\x10\x4A\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xFF\xDB"
    "\x00\x43\x00\x08\x06\x06\x07\x06\x05\x08\x07\x07\x07\x09\x09\x08\x0A\x0C\x14\x0D\x0C\x0B"
    "\x0B\x0C\x19\x12\x13\x0F\x14\x1D\x1A\x1F\x1E\x1D\x1A\x1C\x1C\x20\x24\x2E\x27\x20\x22\x2C"
    "\x23\x1C\x1C\x28\x37\x29\x2C\x30\x31\x34\x34\x34\x1F\x27\x39\x3D\x38\x32\x3C\x2E\x33\x34"
    "\x32\xFF\xDB\x00\x43\x01\x09\x09\x09\x0C\x0B\x0C\x18\x0D\x0D\x18\x32\x21\x1C\x21\x32\x32"
    "\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32"
    "\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32\x32"
    "\x32\x32\x32\x32\xFF\xC0\x00\x11\x08\x00\x20\x00\x20\x03\x01\x22\x00\x02\x11\x01\x03\x11"
    "\x01\xFF\xC4\x00\x17\x00\x01\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x04\x03\x06\xFF\xC4\x00\x15\x10\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x12\xFF\xC4\x00\x16\x01\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x06\x04\xFF\xC4\x00\x16\x11\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x14\x61\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F"
    "\x00\xE7\xAC\xB4\xF6\x5B\x24\x38\xA7\xB1\x45\x96\x9E\xCB\x21\xC2\xC6\x14\x52\x7B\x2D\x65"
    "\x0E\x25\x2C\x51\x45\x27\xB2\xC8\x70\xB1\xFF\xD9";

// The album's cover: the JPEG above with a comment segment naming the album, so that no two
// albums share a picture.
std::string AlbumCover(const std::string& album) {
    const std::string jpeg(kCoverJpeg, sizeof kCoverJpeg - 1);
    const size_t length = album.size() + 2;
    return jpeg.substr(0, 2) + "\xFF\xFE" + static_cast<char>(length >> 8) +
           static_cast<char>(length & 0xFF) + album + jpeg.substr(2);
}

// Where a track lies and what its tag says, both from its artist, album and track number
// (each counted from 1).
struct TrackPlace {
    int artist = 0, album = 0, track = 0;
    std::u16string Artist() const { return u"Interpret " + Decimal(artist, 4); }
    std::u16string Album() const { return u"Album " + Decimal(album, 2); }
    std::u16string Title() const {
        return u"Titel " + Decimal(artist, 4) + u"-" + Decimal(album, 2) + u"-" + Decimal(track, 2);
    }
    std::u16string AlbumFolder(const std::u16string& root) const {
        return root + u"\\" + Artist() + u"\\" + Album() + u"\\";
    }
    std::u16string FileName() const { return Decimal(track, 2) + u" Titel.mp3"; }
};

TrackPlace PlaceOf(int index) {
    const int album = index / kTracksPerAlbum;
    return {album / kAlbumsPerArtist + 1, album % kAlbumsPerArtist + 1,
            index % kTracksPerAlbum + 1};
}

// The place a listed path names, or artist 0 when it names none of the library's tracks.
TrackPlace PlaceOfPath(const std::u16string& root, const std::u16string& path) {
    TrackPlace place;
    if (path.compare(0, root.size(), root) != 0) return place;
    const std::wstring rest(path.begin() + static_cast<std::ptrdiff_t>(root.size()), path.end());
    if (std::swscanf(rest.c_str(), L"\\Interpret %d\\Album %d\\%d Titel.mp3", &place.artist,
                     &place.album, &place.track) != 3)
        place.artist = 0;
    return place;
}

std::u16string LibraryRoot(int tracks) {
    return TempFolder() + u"ts-library-" + Decimal(tracks);
}

std::u16string WholeMarker(int tracks) {
    return LibraryRoot(tracks) + u".whole";
}

void MakeLibrary(int tracks) {
    const std::u16string root = LibraryRoot(tracks);
    RemoveTree(root);
    for (int i = 0; i < tracks; ++i) {
        const TrackPlace place = PlaceOf(i);
        const std::u16string folder = place.AlbumFolder(root);
        if (place.track == 1) {
            MakeFolders(folder);
            WriteBytes(folder + u"cover.jpg", AlbumCover(Utf8(place.Title())));
        }
        const std::u16string path = folder + place.FileName();
        WriteTaggedMp3(std::filesystem::path(std::wstring(path.begin(), path.end())), place.Title(),
                       place.Artist(), place.Album(), Decimal(place.track));
    }
    WriteBytes(WholeMarker(tracks), "ok");
}

// This program again, with the same command line, in a process of its own; its exit code.
int RunAgain() {
    std::fflush(stdout);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring command = GetCommandLineW();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return 2;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 2;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

struct Memory {
    SIZE_T peakWorkingSet = 0;
    SIZE_T privateBytes = 0;
};

Memory MemoryNow(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    Memory memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        memory.peakWorkingSet = counters.PeakWorkingSetSize;
        // Wine leaves PrivateUsage 0; PagefileUsage is the same figure (the private bytes).
        memory.privateBytes = counters.PagefileUsage;
    }
    return memory;
}

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// What a check found wrong; a figure of a run that did not do its work is no figure.
std::vector<std::string> failures;

void Expect(bool holds, const std::string& what) {
    if (!holds && std::find(failures.begin(), failures.end(), what) == failures.end())
        failures.push_back(what);
}

struct Run {
    double listed = 0;       // drop to the last row listed
    double tagged = 0;       // drop to every track's tags read
    double keystroke = -1;   // a keystroke in "Album:" while listing; -1 when it came too late
    double longestTurn = 0;  // the longest message while listing
    double save = 0;         // the batch button to its message
    Memory afterListing, afterTags;
    std::string launcher;  // the launcher's bytes
};

bool AllTagged(const DialogState& state, int tracks) {
    if (state.tracks.Count() != static_cast<uint32_t>(tracks)) return false;
    if (state.tagReader == nullptr || !IsTagReaderIdle(*state.tagReader)) return false;
    for (uint32_t i = 0; i < state.tracks.Count(); ++i)
        if (state.tracks.GetAt(i)->fields[kTitle].IsEmpty()) return false;
    return true;
}

std::u16string Field(const WideString& text) {
    return std::u16string(text.Text(), text.Length());
}

std::u16string Field(const TrackRecord& record, int field) {
    return Field(record.fields[field]);
}

// Rows spread over the list have their file's tags (row 0 took the keystroke in "Album:").
void CheckSampleTags(const DialogState& state, const std::u16string& root) {
    const uint32_t count = state.tracks.Count();
    for (uint32_t row = 0; row < count; row += std::max(1u, count / kSamples)) {
        const TrackRecord& record = *state.tracks.GetAt(row);
        const TrackPlace place = PlaceOfPath(root, Field(record, kPath));
        Expect(place.artist != 0, "every row is a track of the library");
        Expect(Field(record, kTitle) == place.Title() && Field(record, kArtist) == place.Artist() &&
                   Field(record, kYear) == u"1997" &&
                   (row == 0 || Field(record, kAlbum) == place.Album()),
               "the sampled rows have their file's tags");
    }
    const std::u16string album = count > 0 ? Field(*state.tracks.GetAt(0), kAlbum) : u"";
    Expect(album.find(u'x') != std::u16string::npos, "the keystroke reached the selected row");
}

// A keystroke in "Album:" with row 0 selected, as tags_bench types mid-read.
void TypeIntoAlbumOfRowZero(HWND dialog) {
    SelectAndTypeWithoutPumping(dialog, 0, IDE_ALBUM, u"x");
    UpdateWindow(dialog);
}

std::u16string WindowTitle(HWND dialog) {
    wchar_t title[512] = {};
    GetWindowTextW(dialog, title, 512);
    return reinterpret_cast<const char16_t*>(title);
}

Run DropOnce(int tracks, const std::u16string& lame, bool keepLauncher) {
    Run run;
    const std::u16string root = LibraryRoot(tracks);
    HWND dialog = OpenFreshDialog();
    SetFieldText(dialog, IDE_LAME_PATH, lame);
    const std::u16string title = WindowTitle(dialog);
    DialogState& state = *OpenDialogState();
    const LONGLONG start = Now();
    SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle({root})), 0);
    bool listing = true, typed = false;
    while (Milliseconds(Now() - start) < 300000) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const LONGLONG turn = Now();
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (!listing) continue;
            run.longestTurn = std::max(run.longestTurn, Milliseconds(Now() - turn));
            if (!IsListingFolders(state)) {
                listing = false;
                run.listed = Milliseconds(Now() - start);
                run.afterListing = MemoryNow(GetCurrentProcess());
                Expect(ListCount(dialog) == tracks, "every track of the library is a row");
                Expect(WindowTitle(dialog) == title, "the title is back after the listing");
            } else if (!typed && ListCount(dialog) >= tracks / 4) {
                typed = true;
                const LONGLONG key = Now();
                TypeIntoAlbumOfRowZero(dialog);
                run.keystroke = Milliseconds(Now() - key);
            }
        }
        if (!listing && AllTagged(state, tracks)) break;
        // As the program's loop does in GetMessage: wait for the next message.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    run.tagged = Milliseconds(Now() - start);
    run.afterTags = MemoryNow(GetCurrentProcess());
    Expect(!listing, "the listing ends");
    Expect(AllTagged(state, tracks), "every track's tags are read");
    if (!typed) {
        TypeIntoAlbumOfRowZero(dialog);
        PumpMessages();
    }
    CheckSampleTags(state, root);

    const std::u16string launcher =
        state.tracks.Count() > 0 ? Field(LauncherPathFor(state.tracks.GetAt(0)->fields[kPath]))
                                 : root + u"\\Lame-Aufruf.hta";
    const std::u16string folder = launcher.substr(0, launcher.rfind(u'\\') + 1);
    {
        MessageBoxRecorder recorder;
        const LONGLONG click = Now();
        PressBatchButton(dialog);
        const bool written =
            recorder.Texts() == std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."};
        Expect(written, "the save writes the launcher and says so, nothing else");
        if (!written)
            for (const std::u16string& text : recorder.Texts())
                std::printf("message: %s\n", Utf8(text).c_str());
        run.save = written ? Milliseconds(recorder.FirstShownAt() - click) : 0;
    }
    // The library stays as made: the launcher and its pictures go again.
    if (keepLauncher) run.launcher = ReadBytes(launcher);
    DeleteFileW(W(launcher));
    RemoveTree(folder + kCoverFolderName);
    CloseDialog(dialog);
    return run;
}

// Holds the tag reading back until it is opened.
HANDLE readingGate = nullptr;

bool ReadWhenOpened(const char16_t* path, SourceTags& tags) {
    WaitForSingleObject(readingGate, INFINITE);
    return ReadSourceTags(path, tags);
}

// The drop of the folder until the last row is listed while no tag is read: what the listing
// costs the dialog when its reading thread does not compete with it.
double ListWithoutReading(int tracks) {
    HWND dialog = OpenFreshDialog();
    DialogState& state = *OpenDialogState();
    readingGate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PrepareTagReading(state, 0);
    UseTagFileReader(*state.tagReader, ReadWhenOpened, 3600000);
    const LONGLONG start = Now();
    SendMessageW(dialog, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDropHandle({LibraryRoot(tracks)})), 0);
    PumpUntil([&state] { return !IsListingFolders(state); }, 300000);
    const double milliseconds = Milliseconds(Now() - start);
    Expect(ListCount(dialog) == tracks, "every track is a row with the reading held back");
    SetEvent(readingGate);
    CloseDialog(dialog);
    CloseHandle(readingGate);
    return milliseconds;
}

// The script host processes' memory, sampled while the page runs: the largest peak working
// set and private bytes each process name reached.
class ScriptHostMemory {
  public:
    ScriptHostMemory() {
        thread_ = std::thread([this] {
            while (!stop_) {
                Sample();
                Sleep(20);
            }
            Sample();
        });
    }
    // When the first script host process began (milliseconds since 1601), or 0.
    unsigned long long HostStarted() const { return hostStarted_; }
    std::map<std::wstring, Memory> Stop() {
        stop_ = true;
        thread_.join();
        for (auto& [id, handle] : handles_) CloseHandle(handle.second);
        return peaks_;
    }

  private:
    void Sample() {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more;
             more = Process32NextW(snapshot, &entry)) {
            const std::wstring name = entry.szExeFile;
            if (_wcsicmp(name.c_str(), L"cscript.exe") != 0 &&
                _wcsicmp(name.c_str(), L"wscript.exe") != 0)
                continue;
            if (handles_.count(entry.th32ProcessID)) continue;
            HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                         entry.th32ProcessID);
            handles_[entry.th32ProcessID] = {name, process};
            FILETIME created, exited, kernel, user;
            if (process != nullptr && _wcsicmp(name.c_str(), L"cscript.exe") == 0 &&
                GetProcessTimes(process, &created, &exited, &kernel, &user)) {
                const unsigned long long since1601 =
                    ((static_cast<unsigned long long>(created.dwHighDateTime) << 32) |
                     created.dwLowDateTime) /
                    10000;
                if (hostStarted_ == 0 || since1601 < hostStarted_) hostStarted_ = since1601;
            }
        }
        CloseHandle(snapshot);
        for (auto& [id, handle] : handles_) {
            if (handle.second == nullptr) continue;
            const Memory now = MemoryNow(handle.second);
            Memory& peak = peaks_[handle.first];
            peak.peakWorkingSet = std::max(peak.peakWorkingSet, now.peakWorkingSet);
            peak.privateBytes = std::max(peak.privateBytes, now.privateBytes);
        }
    }

    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::map<DWORD, std::pair<std::wstring, HANDLE>> handles_;
    std::atomic<unsigned long long> hostStarted_{0};
    std::map<std::wstring, Memory> peaks_;
};

struct PageRun {
    double untilSecond = 0;      // the script host's process created to the second encode's start
    double pageUntilSecond = 0;  // the page's onload handler to the second encode's start
    double scriptBytes = 0;
    std::map<std::wstring, Memory> memory;
};

unsigned long long Since1601() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) /
           10000;
}

// The page of the launcher the save wrote, the user stopping it once two encodes have reported.
PageRun RunPage(const std::string& launcher, const std::u16string& work) {
    PageRun run;
    run.scriptBytes = static_cast<double>(PageScript(launcher).size());
    const std::u16string log = work + u"stand-in.log";
    DeleteFileW(W(log));
    const Environment settings{{u"TS_STANDIN_LOG", log},
                               {u"TS_STANDIN_BURN_MS", Decimal(kEncodeMs)},
                               {u"TS_CLICK_STOP_AFTER", u"2"}};
    ScriptHostMemory memory;
    const unsigned long long prepared = Since1601();
    const ScriptResult result = RunLauncherScript(launcher, work, settings, Host::kWine, 900);
    WaitForNoProcess(u"wscript.exe", 60000);
    unsigned long long began = memory.HostStarted();
    run.memory = memory.Stop();
    std::vector<unsigned long long> starts;
    for (const auto& [start, end] : ReadStandInTimes(log)) starts.push_back(start);
    std::sort(starts.begin(), starts.end());
    Expect(result.finished, "the page ends once stopped");
    Expect(starts.size() >= 2, "the page runs two encodes");
    if (starts.size() >= 2) {
        // A start time Wine did not give (or gave for another process) counts the harness's
        // preparation too: the figure errs on the long side.
        if (began < prepared || began > starts[0]) {
            std::printf(
                "page: the script host's start was not read; timed from before the "
                "harness wrote its script\n");
            began = prepared;
        }
        run.untilSecond = static_cast<double>(starts[1] - began);
        run.pageUntilSecond = result.beginTime != 0 ? static_cast<double>(starts[1]) -
                                                          static_cast<double>(result.beginTime)
                                                    : 0;
    }
    // The encodes' outputs (".mp3.mp3" beside their sources) go again.
    for (const std::vector<std::u16string>& arguments : ReadStandInLog(log))
        if (!arguments.empty()) DeleteFileW(W(arguments.back()));
    if (!result.finished) std::printf("%s\n", result.output.substr(0, 2000).c_str());
    return run;
}

// Every album folder opened for its identity, as the save's check read them before it took
// them from their parents' entries: what one opened folder costs under Wine.
double ReadAlbumIdentities(int tracks) {
    std::vector<std::u16string> folders;
    for (int i = 0; i < tracks; i += kTracksPerAlbum) {
        const std::u16string folder = PlaceOf(i).AlbumFolder(LibraryRoot(tracks));
        folders.push_back(folder.substr(0, folder.size() - 1));
    }
    const LONGLONG start = Now();
    FileIdentity identity;
    int read = 0;
    for (const std::u16string& folder : folders) read += ReadIdentity(folder.c_str(), identity);
    const double milliseconds = Milliseconds(Now() - start);
    Expect(read == static_cast<int>(folders.size()), "every album folder's identity is read");
    return milliseconds;
}

// The listing thread alone: the library's root handed to it, taken until it has ended, with no
// dialog (its end is posted to a window of no use here).
double ListAlone(int tracks) {
    HWND sink =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const std::u16string root = LibraryRoot(tracks);
    const LONGLONG start = Now();
    FolderListing* listing = StartFolderListing(sink);
    ListDroppedName(*listing, root.c_str(), static_cast<uint32_t>(root.size()));
    WakeFolderListing(*listing);
    uint32_t count = 0;
    for (bool ended = false; !ended;) {
        FoundFiles found;
        ended = TakeFoundFiles(*listing, found);
        count += found.count;
        if (!ended) Sleep(1);
    }
    const double milliseconds = Milliseconds(Now() - start);
    StopFolderListing(listing);
    DestroyWindow(sink);
    Expect(count == static_cast<uint32_t>(tracks), "the listing alone finds every track");
    return milliseconds;
}

// Every track's tags read on this thread alone, as the reading thread reads them (the folder's
// cover for a file without a picture of its own), no dialog.
double ReadTagsAlone(int tracks, bool withCovers) {
    const LONGLONG start = Now();
    FolderCoverCache covers;
    SourceTags tags;
    for (int i = 0; i < tracks; ++i) {
        const std::u16string path =
            PlaceOf(i).AlbumFolder(LibraryRoot(tracks)) + PlaceOf(i).FileName();
        ReadSourceTags(path.c_str(), tags);
        if (withCovers && tags.cover.source == CoverSource::kNone)
            GiveFolderCover(covers, path.c_str(), tags.cover, 5000);
    }
    return Milliseconds(Now() - start);
}

// The host's load average (1, 5 and 15 minutes), read through Wine's drive of the host's root.
std::string LoadAverage() {
    const std::string text = ReadBytes(u"Z:\\proc\\loadavg");
    if (text == "<missing>") return "unknown";
    size_t end = 0;
    for (int fields = 0; fields < 3 && end != std::string::npos; ++fields)
        end = text.find(' ', end + (fields > 0));
    return text.substr(0, end);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

template <typename Item>
std::vector<double> Figures(const std::vector<Item>& runs, double Item::*field) {
    std::vector<double> values;
    for (const Item& run : runs) values.push_back(run.*field);
    return values;
}

// A row of the table; aim 0 for none. A negative value is a figure not taken.
void PrintRow(const char* what, const std::vector<double>& values, double aim) {
    const double low = *std::min_element(values.begin(), values.end());
    if (low < 0) {
        std::printf("| %s | not taken in every run (the listing was over first) | | | |\n", what);
        return;
    }
    const double median = Median(values);
    const double high = *std::max_element(values.begin(), values.end());
    std::printf("| %s | %.1f ms | %.1f to %.1f ms |", what, median, low, high);
    if (aim > 0)
        std::printf(" %.0f ms | %s |\n", aim, median <= aim ? "met" : "missed");
    else
        std::printf(" | |\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int tracks =
        argc > 1 ? std::max(kTracksPerAlbum, std::atoi(argv[1]) / kTracksPerAlbum * kTracksPerAlbum)
                 : 5000;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const bool makeOnly = argc > 2 && std::string(argv[2]) == "--make";
    if (!Exists(WholeMarker(tracks))) {
        const LONGLONG made = Now();
        MakeLibrary(tracks);
        std::printf("library_bench: %d tracks in %d albums made in %.0f s\n", tracks,
                    tracks / kTracksPerAlbum, Milliseconds(Now() - made) / 1000);
        // The figures from a process of their own, which made nothing before.
        if (!makeOnly) return RunAgain();
    }
    if (makeOnly) return 0;
    const std::u16string work = MakeScratchFolder(u"library-bench");
    const std::u16string lame = work + u"lame.exe";
    WriteBytes(lame, ReadBytes(FromUtf8(TS_STAND_IN_LAME)));

    const std::string loadBefore = LoadAverage();
    std::vector<Run> runs;
    for (int r = 0; r < repetitions; ++r) runs.push_back(DropOnce(tracks, lame, r == 0));
    std::vector<PageRun> pages;
    for (int r = 0; r < repetitions; ++r) pages.push_back(RunPage(runs[0].launcher, work));
    std::vector<double> identities, listings, unread;
    for (int r = 0; r < repetitions; ++r) {
        unread.push_back(ListWithoutReading(tracks));
        identities.push_back(ReadAlbumIdentities(tracks));
        listings.push_back(ListAlone(tracks));
    }
    const double tagsAlone = ReadTagsAlone(tracks, true);
    const double tagsOnly = ReadTagsAlone(tracks, false);

    std::printf(
        "\n%d tracks in %d album folders, each with a cover.jpg; median of %d runs, each "
        "on a fresh dialog; load average %s before, %s after\n\n",
        tracks, tracks / kTracksPerAlbum, repetitions, loadBefore.c_str(), LoadAverage().c_str());
    std::printf("| measure | median | range | aim | |\n|---|--:|--:|--:|---|\n");
    PrintRow("drop of the folder to the last row listed", Figures(runs, &Run::listed), 3000);
    PrintRow("  the same, no tag read meanwhile", unread, 0);
    PrintRow("  the listing thread alone, no dialog", listings, 0);
    PrintRow("drop of the folder to every track's tags", Figures(runs, &Run::tagged), 15000);
    PrintRow("  every track's tags and folder cover read alone, one thread, no dialog (once)",
             {tagsAlone}, 0);
    PrintRow("  the same without the folder covers (once)", {tagsOnly}, 0);
    PrintRow("keystroke in \"Album:\" while listing", Figures(runs, &Run::keystroke), 50);
    PrintRow("longest message while listing", Figures(runs, &Run::longestTurn), 0);
    PrintRow("\"Batch (.hta) &speichern\" to its message", Figures(runs, &Run::save), 1000);
    PrintRow("  every album folder opened for its identity, no dialog", identities, 0);
    PrintRow("page: the script host created to the second encode",
             Figures(pages, &PageRun::untilSecond), 2000);
    PrintRow("page: its onload handler to the second encode",
             Figures(pages, &PageRun::pageUntilSecond), 0);

    std::printf(
        "\n| memory (first run, a fresh process) | peak working set | private bytes |\n"
        "|---|--:|--:|\n");
    std::printf("| the dialog's process, after the listing | %.0f MB | %.0f MB |\n",
                Megabytes(runs[0].afterListing.peakWorkingSet),
                Megabytes(runs[0].afterListing.privateBytes));
    std::printf("| the dialog's process, after the tags | %.0f MB | %.0f MB |\n",
                Megabytes(runs[0].afterTags.peakWorkingSet),
                Megabytes(runs[0].afterTags.privateBytes));
    for (const auto& [name, memory] : pages[0].memory)
        std::printf("| the page: %ls, at its largest | %.0f MB | %.0f MB |\n", name.c_str(),
                    Megabytes(memory.peakWorkingSet), Megabytes(memory.privateBytes));
    std::printf("\nThe launcher: %.1f MB, its page's script %.1f MB.\n",
                static_cast<double>(runs[0].launcher.size()) / 1048576.0,
                pages[0].scriptBytes / 1048576.0);
    RemoveTree(work);
    for (const std::string& failure : failures) std::printf("check failed: %s\n", failure.c_str());
    return failures.empty() ? 0 : 1;
}
