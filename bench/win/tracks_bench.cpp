// Timings of the track list on the real dialog under Wine: drop, select all and type,
// remove, number. Each large case is printed beside a small baseline measured in the
// same run, so the figures read as ratios. Usage: tracks_bench [repetitions]
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/shell_win.h"
#include "gui/harness.h"
#include "resources/control_ids.h"
#include "tracks/track_record.h"

namespace {

int g_repetitions = 3;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::vector<std::u16string> Names(int n) {
    std::vector<std::u16string> names;
    names.reserve(n);
    for (int i = 0; i < n; ++i) {
        names.push_back(u"C:\\Musik\\Sammlung\\Interpret\\Album\\Lied " + Decimal(i) + u".wav");
    }
    return names;
}

// Median of the repetitions of one case: setup (untimed), then the timed action.
double Measure(const std::function<HWND()>& setup, const std::function<void(HWND)>& action) {
    std::vector<double> times;
    for (int r = 0; r < g_repetitions; ++r) {
        HWND dialog = setup();
        const double start = Now();
        action(dialog);
        times.push_back(Now() - start);
        CloseDialog(dialog);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Report(const char* what, double baseline, int baseN, double large, int largeN) {
    std::printf("%-44s n=%-6d %9.2f ms | n=%-6d %9.2f ms | ratio %7.1f (n ratio %d)\n", what, baseN,
                baseline, largeN, large, large / (baseline > 0.001 ? baseline : 0.001),
                largeN / baseN);
}

// The drop of 10,000 names beside the floor measured in the same run; it should stay within 3x.
void ReportAgainstFloor(const char* what, double addFloor, double drop) {
    std::printf("%-44s n=10000  %9.2f ms | drop %9.2f ms | drop/floor %5.1f (at most 3: %s)\n",
                what, addFloor, drop, drop / (addFloor > 0.001 ? addFloor : 0.001),
                drop <= 3 * addFloor ? "met" : "NOT met");
}

HWND DialogWith(int tracks) {
    HWND dialog = OpenFreshDialog();
    if (tracks > 0) DropFiles(dialog, Names(tracks));
    UpdateWindow(dialog);
    return dialog;
}

void Repaint(HWND dialog) {
    UpdateWindow(GetDlgItem(dialog, IDL_FILES));
}

double TimeDrop(int n, bool repaint = true) {
    return Measure([] { return DialogWith(0); },
                   [n, repaint](HWND dialog) {
                       DropFiles(dialog, Names(n));
                       if (repaint) Repaint(dialog);
                   });
}

// The floor under a drop: as many rows added to the real list on a handle kept from one lookup,
// records made beforehand, redraw suspended and the list repainted as the drop does.
// lookUpEachRow: SendDlgItemMessageW for every row, as the drop did before it kept the handle.
double TimeAddStringFloor(int n, bool repaint, bool lookUpEachRow = false) {
    PointerArray<TrackRecord> records;
    for (const std::u16string& name : Names(n)) records.Add(MakeTrackRecord(name.c_str()));
    return Measure([] { return DialogWith(0); },
                   [&records, repaint, lookUpEachRow](HWND dialog) {
                       HWND list = GetDlgItem(dialog, IDL_FILES);
                       SendMessageW(list, WM_SETREDRAW, FALSE, 0);
                       for (uint32_t i = 0; i < records.Count(); ++i) {
                           const auto record = reinterpret_cast<LPARAM>(records.GetAt(i));
                           if (lookUpEachRow)
                               SendDlgItemMessageW(dialog, IDL_FILES, LB_ADDSTRING, 0, record);
                           else
                               SendMessageW(list, LB_ADDSTRING, 0, record);
                       }
                       SendMessageW(list, WM_SETREDRAW, TRUE, 0);
                       InvalidateRect(list, nullptr, TRUE);
                       if (repaint) Repaint(dialog);
                       // The rows point to records of this function, not of the dialog.
                       SendMessageW(list, LB_RESETCONTENT, 0, 0);
                   });
}

// What fetching every name with DragQueryFileW costs, its length asked first.
double TimeDragQueryFile(int n) {
    const auto names = Names(n);
    return Measure([] { return static_cast<HWND>(nullptr); },
                   [&names](HWND) {
                       HDROP drop = static_cast<HDROP>(MakeDropHandle(names));
                       const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
                       std::vector<wchar_t> buffer;
                       for (UINT i = 0; i < count; ++i) {
                           const UINT length = DragQueryFileW(drop, i, nullptr, 0);
                           buffer.resize(length + 1);
                           DragQueryFileW(drop, i, buffer.data(), length + 1);
                       }
                       DragFinish(drop);
                   });
}

// The fields are enabled by a click on row 0; the focus sits in "Album:".
HWND ReadyToSelectAll(int tracks) {
    HWND dialog = DialogWith(tracks);
    SelectRows(dialog, {0});
    SetFocus(GetDlgItem(dialog, IDE_ALBUM));
    return dialog;
}

double TimeSelectAllAndType(int n) {
    return Measure([n] { return ReadyToSelectAll(n); },
                   [](HWND dialog) {
                       SendKeyThroughLoop(dialog, 'A', true);
                       SendMessageW(GetDlgItem(dialog, IDE_ALBUM), WM_CHAR, u'x', 1);
                       Repaint(dialog);
                   });
}

double TimeKeystrokeWithAllSelected(int n) {
    return Measure(
        [n] {
            HWND dialog = ReadyToSelectAll(n);
            SendKeyThroughLoop(dialog, 'A', true);
            Repaint(dialog);
            return dialog;
        },
        [](HWND dialog) {
            SendMessageW(GetDlgItem(dialog, IDE_ALBUM), WM_CHAR, u'x', 1);
            Repaint(dialog);
        });
}

double TimeSelectionChangeAllSelected(int n) {
    return Measure([n] { return DialogWith(n); },
                   [n](HWND dialog) {
                       HWND list = GetDlgItem(dialog, IDL_FILES);
                       SendMessageW(list, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, n - 1));
                       SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDL_FILES, LBN_SELCHANGE),
                                    reinterpret_cast<LPARAM>(list));
                       Repaint(dialog);
                   });
}

// Every other row selected (half of the list), then "&Löschen".
double TimeRemoveEveryOther(int n) {
    return Measure(
        [n] {
            HWND dialog = DialogWith(n);
            HWND list = GetDlgItem(dialog, IDL_FILES);
            SendMessageW(list, WM_SETREDRAW, FALSE, 0);
            for (int i = 1; i < n; i += 2) SendMessageW(list, LB_SETSEL, TRUE, i);
            SendMessageW(list, WM_SETREDRAW, TRUE, 0);
            Repaint(dialog);
            return dialog;
        },
        [](HWND dialog) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDB_REMOVE, BN_CLICKED), 0);
            Repaint(dialog);
        });
}

// The first half selected, then "&Löschen".
double TimeRemoveFirstHalf(int n) {
    return Measure(
        [n] {
            HWND dialog = DialogWith(n);
            SendDlgItemMessageW(dialog, IDL_FILES, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, n / 2 - 1));
            Repaint(dialog);
            return dialog;
        },
        [](HWND dialog) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDB_REMOVE, BN_CLICKED), 0);
            Repaint(dialog);
        });
}

double TimeNumbering(int n) {
    return Measure([n] { return DialogWith(n); },
                   [](HWND dialog) {
                       SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDB_NUMBER, BN_CLICKED), 0);
                       Repaint(dialog);
                   });
}

double TimeOpenAndClose() {
    std::vector<double> times;
    for (int r = 0; r < g_repetitions; ++r) {
        const double start = Now();
        CloseDialog(OpenFreshDialog());
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_repetitions = std::max(1, std::atoi(argv[1]));
    std::printf("tracks_bench: median of %d runs, wall-clock ms under this Wine\n", g_repetitions);
    std::printf("%-44s %9.2f ms\n", "open and close the dialog", TimeOpenAndClose());
    const double drop = TimeDrop(10000);
    Report("drop files (incl. repaint)", TimeDrop(100), 100, drop, 10000);
    ReportAgainstFloor("  floor: LB_ADDSTRING, kept handle, repaint",
                       TimeAddStringFloor(10000, true), drop);
    ReportAgainstFloor("  the same without the repaint", TimeAddStringFloor(10000, false),
                       TimeDrop(10000, false));
    std::printf("%-44s n=10000  %9.2f ms\n", "  for reference: the same, lookup per row",
                TimeAddStringFloor(10000, false, true));
    Report("  for reference: DragQueryFileW per index", TimeDragQueryFile(100), 100,
           TimeDragQueryFile(10000), 10000);
    Report("Ctrl+A, then one keystroke in Album:", TimeSelectAllAndType(100), 100,
           TimeSelectAllAndType(10000), 10000);
    Report("  one keystroke, all selected", TimeKeystrokeWithAllSelected(100), 100,
           TimeKeystrokeWithAllSelected(10000), 10000);
    Report("  selection change, all selected", TimeSelectionChangeAllSelected(100), 100,
           TimeSelectionChangeAllSelected(10000), 10000);
    Report("remove every other row (half)", TimeRemoveEveryOther(100), 100,
           TimeRemoveEveryOther(20000), 20000);
    Report("remove the first half", TimeRemoveFirstHalf(100), 100, TimeRemoveFirstHalf(20000),
           20000);
    Report("number all tracks", TimeNumbering(100), 100, TimeNumbering(10000), 10000);
    return 0;
}
