#include "scale/scale_steps.h"

#include <psapi.h>

#include <algorithm>
#include <functional>
#include <map>
#include <utility>

#include "win/utf16_cast.h"
#include "gui/harness.h"
#include "gui/message_box_hook.h"
#include "launcher/call_run.h"
#include "launcher/launcher_template.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "tracks/track_record.h"

namespace {

double NowMs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

double TicksToMs(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Names as a collection has them: artist, album and title in the name, mixed kinds,
// an apostrophe and an umlaut here and there.
std::vector<std::u16string> TrackNames(const std::u16string& folder, int count) {
    static const char16_t* const kArtists[] = {u"Die Ärzte", u"Sinéad O'Connor",
                                               u"Motörhead", u"The Beatles",
                                               u"Björk",     u"Simon & Garfunkel"};
    static const char16_t* const kExtensions[] = {u".wav", u".mp3", u".flac", u".ogg"};
    std::vector<std::u16string> names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        names.push_back(folder + kArtists[(i / 96) % 6] + u" - Album " + Decimal(i / 12) + u" - " +
                        Decimal(i % 12 + 1, 2) + u" Lied " + Decimal(i) + kExtensions[i % 4]);
    }
    return names;
}

HWND Control(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

void Repaint(HWND dialog) {
    PumpMessages();
    UpdateWindow(Control(dialog, IDL_FILES));
}

void Click(HWND dialog, int id) {
    SendMessageW(Control(dialog, id), BM_CLICK, 0, 0);
    Repaint(dialog);
}

int SelectedCount(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageW(dialog, IDL_FILES, LB_GETSELCOUNT, 0, 0));
}

// Collects what a session found wrong; a figure of a step that did not do its work is no
// figure.
class Checks {
  public:
    void Expect(bool holds, const std::string& what) {
        if (!holds && failures_.size() < 20) failures_.push_back(what);
    }
    std::vector<std::string> Take() { return std::move(failures_); }

  private:
    std::vector<std::string> failures_;
};

// The steps of one session in order; each measured from the user's action until the list
// has repainted.
struct Session {
    int tracks;
    std::u16string lamePath;
    std::u16string folder;
    Checks& checks;
    std::map<std::string, double> times;
    std::vector<std::string> order;
    std::vector<StepFigure>* memory;  // filled when not null

    void Record(const std::string& name, double milliseconds) {
        if (!times.count(name)) order.push_back(name);
        times[name] = milliseconds;
        if (memory) {
            PROCESS_MEMORY_COUNTERS counters{};
            counters.cb = sizeof counters;
            GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
            StepFigure figure;
            figure.name = name;
            figure.peakWorkingSet = counters.PeakWorkingSetSize;
            figure.peakPagefileUsage = counters.PeakPagefileUsage;
            memory->push_back(figure);
        }
    }

    void Time(const std::string& name, const std::function<void()>& action) {
        const double start = NowMs();
        action();
        Record(name, NowMs() - start);
    }

    void Run(HWND dialog) {
        const std::vector<std::u16string> names = TrackNames(folder, tracks);
        HGLOBAL drop = MakeDropHandle(names);
        Time("drop the files", [&] {
            SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
            Repaint(dialog);
        });
        checks.Expect(ListCount(dialog) == tracks, "every dropped file is a row");
        // What the track array's growth alone costs: 8 slots at a time, each growth
        // copying every pointer into a fresh block.
        Time("  reference: the Adds to the track array alone", [&] {
            PointerArray<TrackRecord> array;
            for (int i = 0; i < tracks; ++i) array.Add(nullptr);
        });

        Time("click the first row", [&] {
            SelectRows(dialog, {0});
            Repaint(dialog);
        });

        // Select all covers the first 32768 rows only: its range travels in two 16-bit words.
        const int selectable = std::min(tracks, 32768);
        Time("Ctrl+A", [&] {
            SendKeyThroughLoop(dialog, 'A', true);
            Repaint(dialog);
        });
        checks.Expect(SelectedCount(dialog) == selectable, "Ctrl+A selects the rows");

        HWND album = Control(dialog, IDE_ALBUM);
        SetFocus(album);
        SendMessageW(album, EM_SETSEL, 0, -1);
        Time("one keystroke in \"Album:\"", [&] {
            SendCharThroughLoop(dialog, u'x');
            Repaint(dialog);
        });
        checks.Expect(TrackField(selectable - 1, kAlbum) == u"x" &&
                          (selectable == tracks || TrackField(tracks - 1, kAlbum).empty()),
                      "the keystroke reaches the selected tracks only");

        Time("\"Lieder n&ummerieren\"", [&] { Click(dialog, IDB_NUMBER); });
        checks.Expect(TrackField(tracks - 1, kTrackNumber) == Decimal(tracks),
                      "numbering reaches the last track");

        // A click on the first row, then Shift+click on the last but one: the list sets the
        // range and reports the change.
        HWND list = Control(dialog, IDL_FILES);
        Time("Shift+click: all but the last selected", [&] {
            SetFocus(list);
            SendMessageW(list, LB_SETSEL, FALSE, -1);
            SendMessageW(list, LB_SELITEMRANGEEX, 0, tracks - 2);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDL_FILES, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(list));
            Repaint(dialog);
        });
        checks.Expect(SelectedCount(dialog) == tracks - 1, "all but the last are selected");

        const std::u16string last = TrackField(tracks - 1, kPath);
        Time("\"&runter\"", [&] { Click(dialog, IDB_DOWN); });
        checks.Expect(TrackField(0, kPath) == last, "the last track moves to the top");

        SetDlgItemTextW(dialog, IDE_LAME_PATH, AsWide(lamePath.c_str()));
        MessageBoxRecorder boxes({IDOK});
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        Click(dialog, IDB_BATCH);
        const bool written = boxes.Shown().size() == 1 &&
                             boxes.Shown()[0].text == u"Lame-Aufruf.hta wurde geschrieben.";
        checks.Expect(written, "the launcher write writes the launcher");
        // Until the message appears: the box itself is the user's, not the run's.
        Record("launcher write (until its message)",
               written ? TicksToMs(boxes.FirstShownAt() - start.QuadPart) : 0);
        TimeLauncherStages();
    }

    // The stages of the launcher text on their own, and the I/O limit: the same bytes written
    // to a file in the same folder.
    void TimeLauncherStages() {
        WideString block;
        Time("  launcher text: callRun lines",
             [&] { block = BuildCallRunsBlock(OpenDialogState()->tracks, false, false, false); });
        WideString templ = BuiltInLauncherTemplate();
        WideString lame;
        lame.AssignText(lamePath.c_str());
        WideString arguments;
        arguments.AssignText(u" --priority 0 -b 128 -h");
        NarrowString bytes;
        Time("  launcher text: template filled into UTF-8",
             [&] { bytes = FillLauncherTemplateAsUtf8(templ, false, lame, arguments, block); });
        const DWORD length = bytes.Length();
        const std::u16string path = folder + u"io-limit.hta";
        for (bool flush : {false, true}) {
            Time(flush ? "  I/O limit: the same bytes written, flushed"
                       : "  I/O limit: the same bytes written",
                 [&] {
                     HANDLE file = CreateFileW(AsWide(path.c_str()), GENERIC_WRITE, 0, nullptr,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
                     DWORD written = 0;
                     const BOOL wrote = WriteFile(file, bytes.Text(), length, &written, nullptr);
                     if (flush) FlushFileBuffers(file);
                     CloseHandle(file);
                     checks.Expect(wrote && written == length, "the I/O limit file is written");
                 });
        }
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

SessionResult RunSession(int tracks, int repetitions, const std::u16string& lamePath) {
    SessionResult result;
    Checks checks;
    std::map<std::string, std::vector<double>> times;
    std::vector<std::string> order;
    std::vector<StepFigure> memory;
    for (int r = 0; r < repetitions; ++r) {
        Session session{tracks,
                        lamePath,
                        support::MakeScratchFolder(u"scale-" + Decimal(tracks) + u"-" + Decimal(r)),
                        checks,
                        {},
                        {},
                        r == 0 ? &memory : nullptr};
        HWND dialog = OpenFreshDialog();
        session.Run(dialog);
        CloseDialog(dialog);
        support::RemoveTree(session.folder);
        order = session.order;
        for (const auto& [name, milliseconds] : session.times) times[name].push_back(milliseconds);
    }
    for (const std::string& name : order) {
        StepFigure figure;
        figure.name = name;
        figure.milliseconds = Median(times[name]);
        for (const StepFigure& measured : memory) {
            if (measured.name != name) continue;
            figure.peakWorkingSet = measured.peakWorkingSet;
            figure.peakPagefileUsage = measured.peakPagefileUsage;
        }
        result.steps.push_back(figure);
    }
    result.failures = checks.Take();
    return result;
}
