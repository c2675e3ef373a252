// Tags of 10,000 dropped MP3s (ID3v2) on the real dialog under Wine, with one and with two
// reading threads: how long the drop takes beside the LB_ADDSTRING floor, how long until every
// track has its tags, and the longest the dialog is busy with arriving tags (what a keystroke
// waits for at most). The files are made once by TagLib and kept in the temporary folder; a
// first untimed read warms the cache.
//   tags_bench [files] [repetitions]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/shell_win.h"
#include "gui/harness.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/tagged_files.h"
#include "sources/source_tags.h"
#include "sources/tag_reader_win.h"

namespace {

double Now() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::vector<std::u16string> MakeFiles(int count) {
    const std::u16string folder = support::MakeScratchFolder(u"tags-bench") + u"";
    std::vector<std::u16string> names;
    for (int i = 0; i < count; ++i) {
        const std::u16string path = folder + u"Lied " + Decimal(i) + u".mp3";
        WriteTaggedMp3(std::filesystem::path(std::wstring(path.begin(), path.end())),
                       u"Lied " + Decimal(i), u"Interpret", u"Album", Decimal(i % 20 + 1));
        names.push_back(path);
    }
    return names;
}

bool AllTagged(int count) {
    DialogState* state = OpenDialogState();
    if (state == nullptr || state->tracks.Count() != static_cast<uint32_t>(count)) return false;
    for (int i = 0; i < count; ++i) {
        if (Track(i)->fields[kTitle].IsEmpty()) return false;
    }
    return true;
}

struct Run {
    double drop = 0;         // the drop, rows there and painted
    double allTags = 0;      // from the drop's start until the last track has its tags
    double longestTurn = 0;  // the longest message turn while tags arrive
    double keystroke = 0;    // a keystroke in "Album:" with row 0 selected, mid-read
};

Run ReadOnce(const std::vector<std::u16string>& names, int threads) {
    Run run;
    HWND dialog = OpenFreshDialog();
    OpenDialogState()->tagReaderThreads = threads;
    const int count = static_cast<int>(names.size());
    const double start = Now();
    SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle(names)), 0);
    UpdateWindow(GetDlgItem(dialog, IDL_FILES));
    run.drop = Now() - start;
    bool typed = false;
    while (!AllTagged(count) && Now() - start < 120000) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const double turn = Now();
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            run.longestTurn = std::max(run.longestTurn, Now() - turn);
        }
        if (!typed && Track(count / 4) != nullptr && !Track(count / 4)->fields[kTitle].IsEmpty()) {
            typed = true;
            const double key = Now();
            SelectAndTypeWithoutPumping(dialog, 0, IDE_ALBUM, u"x");
            UpdateWindow(dialog);
            run.keystroke = Now() - key;
        }
        // As the program's loop does in GetMessage: wait for the next message.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    run.allTags = Now() - start;
    CloseDialog(dialog);
    return run;
}

// The library alone: every file read on this thread, no dialog.
double ReadAlone(const std::vector<std::u16string>& names) {
    const double start = Now();
    SourceTags tags;
    for (const std::u16string& name : names) ReadSourceTags(name.c_str(), tags);
    return Now() - start;
}

double AddStringFloor(const std::vector<std::u16string>& names) {
    PointerArray<TrackRecord> records;
    for (const std::u16string& name : names) records.Add(MakeTrackRecord(name.c_str()));
    HWND dialog = OpenFreshDialog();
    HWND list = GetDlgItem(dialog, IDL_FILES);
    const double start = Now();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (uint32_t i = 0; i < records.Count(); ++i)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(records.GetAt(i)));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    const double floor = Now() - start;
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    CloseDialog(dialog);
    return floor;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(10, std::atoi(argv[1])) : 10000;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const double made = Now();
    const std::vector<std::u16string> names = MakeFiles(files);
    std::printf("tags_bench: %d MP3s with ID3v2 tags made in %.0f ms; median of %d runs\n", files,
                Now() - made, repetitions);
    ReadOnce(names, 2);  // warms the cache
    const double floor = AddStringFloor(names);
    const double alone = ReadAlone(names);
    std::printf("TagLib alone, one thread, no dialog: %.1f ms (%.0f files/s)\n", alone,
                files * 1000.0 / alone);
    for (int threads : {1, 2}) {
        std::vector<Run> runs;
        for (int r = 0; r < repetitions; ++r) runs.push_back(ReadOnce(names, threads));
        auto median = [&runs](double Run::*field) {
            std::vector<double> values;
            for (const Run& run : runs) values.push_back(run.*field);
            std::sort(values.begin(), values.end());
            return values[values.size() / 2];
        };
        const double all = median(&Run::allTags);
        std::printf(
            "%d thread%s: drop %7.1f ms (floor %6.1f ms, %.1fx) | all tags in %7.1f ms (%.0f "
            "files/s) | longest turn %5.1f ms | keystroke mid-read %5.1f ms\n",
            threads, threads == 1 ? " " : "s", median(&Run::drop), floor,
            median(&Run::drop) / floor, all, files * 1000.0 / all, median(&Run::longestTurn),
            median(&Run::keystroke));
    }
    support::RemoveTree(support::MakeScratchFolder(u"tags-bench"));
    return 0;
}
