// Clashing outputs are refused rather than renamed: each output stays where the launcher's
// rules put it, so the user finds it beside its source under the source's name.
#include "launcher/output_check_win.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <new>

#include "launcher/existing_outputs_win.h"
#include "launcher/output_clash.h"
#include "win/file_exists_win.h"
#include "win/message_win.h"

namespace {

constexpr uint32_t kShownTracks = 5;

const char16_t kClashStart[] = u"Diese Dateien würden sich gegenseitig überschreiben:\r\n\r\n";
const char16_t kClashEnd[] =
    u"\r\n\r\nBitte entfernen Sie sie aus der Liste oder benennen Sie sie um. "
    u"Es wird nichts gespeichert!";
const char16_t kExistingStartOne[] = u"Diese Ausgabedatei gibt es bereits:\r\n\r\n";
const char16_t kExistingStartMany[] = u"Diese Ausgabedateien gibt es bereits:\r\n\r\n";
const char16_t kExistingEndOne[] =
    u"\r\n\r\nSoll die bereits existierende Datei überschrieben werden? "
    u"(Bei Nein wird nichts gespeichert.)";
const char16_t kExistingEndMany[] =
    u"\r\n\r\nSollen die bereits existierenden Dateien überschrieben werden? "
    u"(Bei Nein wird nichts gespeichert.)";

int ShowFramed(HWND owner, const char16_t* start, const WideString& list, const char16_t* end,
               UINT buttons) {
    WideString message;
    message.AssignText(start);
    message.Append(list);
    message.Append(end);
    return ShowMessage(owner, message.Text(), buttons);
}

// The search for existing outputs on a thread of its own, or on the caller's at Finish when
// no thread can be made. The outputs and flags must outlive it.
class ExistingOutputsSearch {
  public:
    ExistingOutputsSearch(const TrackOutputs& outputs, bool* existing)
        : outputs_(outputs), existing_(existing) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ExistingOutputsSearch(const ExistingOutputsSearch&) = delete;
    ExistingOutputsSearch& operator=(const ExistingOutputsSearch&) = delete;
    ~ExistingOutputsSearch() { Abandon(); }

    // How many outputs exist (-1: memory ran out), once the search is complete.
    int64_t Finish() {
        if (!Join()) found_ = FindExistingOutputs(outputs_, existing_);
        return found_;
    }
    // Ends the search at the next folder and waits for it; its result is of no use then.
    void Abandon() {
        stop_ = true;
        Join();
    }

  private:
    static DWORD WINAPI Run(void* context) {
        auto* search = static_cast<ExistingOutputsSearch*>(context);
        search->found_ = FindExistingOutputs(search->outputs_, search->existing_, &search->stop_);
        return 0;
    }
    // False when the search never ran on a thread of its own.
    bool Join() {
        if (!thread_) return joined_;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
        joined_ = true;
        return true;
    }

    const TrackOutputs& outputs_;
    bool* existing_;
    std::atomic<bool> stop_{false};
    int64_t found_ = -1;
    HANDLE thread_ = nullptr;
    bool joined_ = false;
};

}  // namespace

OutputCheck CheckTrackOutputs(const DialogState& state, bool decode,
                              const std::function<void()>& alongside) {
    TrackOutputs outputs;
    const uint32_t count = state.tracks.Count();
    std::unique_ptr<bool[]> clashingFlags(new (std::nothrow) bool[count > 0 ? count : 1]);
    std::unique_ptr<bool[]> existingFlags(new (std::nothrow) bool[count > 0 ? count : 1]);
    if (!clashingFlags || !existingFlags || !outputs.Fill(state.tracks, decode))
        return OutputCheck::kNoMemory;

    // The folders are searched while the clashes are looked for and the caller's work is done.
    ExistingOutputsSearch search(outputs, existingFlags.get());
    const int64_t clashing =
        FindClashingTracks(state.tracks, outputs, SameFileName, clashingFlags.get());
    if (clashing < 0) return OutputCheck::kNoMemory;
    if (clashing > 0) {
        search.Abandon();
        ShowFramed(
            state.dialog, kClashStart,
            ListFlaggedTracks(state.tracks, outputs, clashingFlags.get(), true, kShownTracks),
            kClashEnd, MB_OK);
        return OutputCheck::kStopped;
    }
    if (alongside) alongside();

    // With no clash, no output is a source of this batch: every file found is one of another.
    const int64_t existing = search.Finish();
    if (existing < 0) return OutputCheck::kNoMemory;
    if (existing == 0) return OutputCheck::kClear;
    const bool one = existing == 1;
    const int answer = ShowFramed(
        state.dialog, one ? kExistingStartOne : kExistingStartMany,
        ListFlaggedTracks(state.tracks, outputs, existingFlags.get(), false, kShownTracks),
        one ? kExistingEndOne : kExistingEndMany, MB_YESNO);
    return answer == IDYES ? OutputCheck::kClear : OutputCheck::kStopped;
}
