#include "launcher/tag_wait_win.h"

#include "foundation/grouped_number.h"
#include "sources/cover_reading_win.h"
#include "tracks/source_tags_win.h"
#include "sources/tag_reader_win.h"
#include "tracks/folder_drop_win.h"
#include "win/control_text_win.h"
#include "win/message_win.h"
#include "win/utf16_cast.h"

namespace {

enum class TagWait { kComplete, kCancelled, kStalled };

// What a wait of the save watches: its title's words, whether it is done, and how far.
struct WaitSubject {
    const char16_t* doing;
    bool (*isDone)(DialogState& state, void* context);
    void (*count)(void* context, uint32_t& done, uint32_t& queued);
    void* context;
};

// The loop wakes at least this often to count the quiet time and show the progress.
constexpr DWORD kWakeInterval = 100;
constexpr uint32_t kNamesShown = 10;

void ShowProgress(HWND dialog, const char16_t* doing, uint32_t read, uint32_t queued) {
    WideString title;
    title.AssignText(u"Tonschleuder – ");
    title.Append(doing);
    AppendGroupedNumber(title, read);
    title.Append(u" von ");
    AppendGroupedNumber(title, queued);
    title.Append(u" (Esc bricht ab)");
    SetWindowTextW(dialog, AsWide(title.Text()));
}

// Alt+F4 and the window menu (Alt+Space) keep working; any other key would type into a field
// or press a button.
bool IsWindowKey(const MSG& message) {
    switch (message.message) {
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            return message.wParam == VK_F4 || message.wParam == VK_SPACE ||
                   message.wParam == VK_MENU;
        case WM_SYSCHAR:
            return message.wParam == u' ';
        default:
            return false;
    }
}

// Keys, clicks and the wheel in the dialog would change a field, the selection or a track
// under the save; moving, sizing and closing the window stay possible.
bool IsHeldInput(const MSG& message) {
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST)
        return !IsWindowKey(message);
    return message.message > WM_MOUSEMOVE && message.message <= WM_MOUSELAST;
}

// Runs what has arrived (paints, arriving tags, the system's messages); Escape cancels.
void PumpDuringWait(DialogState& state) {
    MSG message;
    while (!state.save.cancelled && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Put back for the program's own loop, which ends on it.
            PostQuitMessage(static_cast<int>(message.wParam));
            state.save.cancelled = true;
            return;
        }
        if (message.hwnd == state.dialog || IsChild(state.dialog, message.hwnd)) {
            if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
                state.save.cancelled = true;
                return;
            }
            if (IsHeldInput(message)) continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Until the subject is done, the user cancels, or nothing is done for the quiet limit.
TagWait WaitFor(DialogState& state, const WaitSubject& subject) {
    uint32_t lastRead = UINT32_MAX;
    uint32_t lastQueued = 0;
    ULONGLONG lastProgress = 0;
    for (;;) {
        if (subject.isDone(state, subject.context)) return TagWait::kComplete;
        if (state.save.cancelled) return TagWait::kCancelled;
        uint32_t read = 0;
        uint32_t queued = 0;
        subject.count(subject.context, read, queued);
        const ULONGLONG now = GetTickCount64();
        if (read == lastRead && queued == lastQueued) {
            if (now - lastProgress >= state.save.quietLimit) return TagWait::kStalled;
        } else {
            // A new title repaints the caption: only when the count changed.
            ShowProgress(state.dialog, subject.doing, read, queued);
            lastRead = read;
            lastQueued = queued;
            lastProgress = now;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, kWakeInterval, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        PumpDuringWait(state);
    }
}

// The wait with the wait cursor, the title given back afterwards.
TagWait WaitShowingProgress(DialogState& state, const WaitSubject& subject) {
    const WideString title = ReadWindowText(state.dialog);
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    state.save.waitingForTags = true;
    const TagWait outcome = WaitFor(state, subject);
    state.save.waitingForTags = false;
    SetWindowTextW(state.dialog, AsWide(title.Text()));
    SetCursor(previous);
    return outcome;
}

bool TagsAreIn(DialogState& state, void* context) {
    // Idle first: every result is in before the last take.
    const bool idle = IsTagReaderIdle(*static_cast<TagReader*>(context));
    TakeArrivedTags(state);
    return idle;
}

void CountTags(void* context, uint32_t& read, uint32_t& queued) {
    CountTagJobs(*static_cast<TagReader*>(context), read, queued);
}

bool CoversAreIn(DialogState&, void* context) {
    return IsCoverReadingDone(*static_cast<CoverReading*>(context));
}

void CountCovers(void* context, uint32_t& read, uint32_t& queued) {
    CountCoverPictures(*static_cast<CoverReading*>(context), read, queued);
}

bool ContainsId(const uint32_t* ids, uint32_t count, uint32_t id) {
    uint32_t low = 0;
    uint32_t high = count;
    while (low < high) {
        const uint32_t middle = (low + high) / 2;
        if (ids[middle] == id) return true;
        if (ids[middle] < id) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return false;
}

// Names the tracks whose tags are still out (the first few, in list order) and asks whether
// to save all the same.
bool AskToSaveWithoutTags(DialogState& state) {
    uint32_t* ids = nullptr;
    const uint32_t unread = ListUnreadTagJobs(*state.tagReader, ids);
    WideString names;
    uint32_t missing = 0;
    for (uint32_t i = 0; i < state.tracks.Count(); ++i) {
        const TrackRecord* record = state.tracks.GetAt(i);
        // Jobs are queued in id order.
        if (record == nullptr || !ContainsId(ids, unread, record->id)) continue;
        if (++missing > kNamesShown) continue;
        names.Append(u"\r\n");
        names.Append(record->fields[kPath]);
    }
    delete[] ids;
    if (missing == 0) return true;  // only removed tracks' files are still out

    WideString message;
    if (missing == 1) {
        message.AssignText(u"Die Tags dieser Datei sind noch nicht gelesen");
    } else {
        message.AssignText(u"Die Tags dieser ");
        AppendGroupedNumber(message, missing);
        message.Append(u" Dateien sind noch nicht gelesen");
    }
    message.Append(u", und das Lesen kommt nicht mehr voran:\r\n");
    message.Append(names);
    if (missing > kNamesShown) {
        message.Append(u"\r\n… und ");
        AppendGroupedNumber(message, missing - kNamesShown);
        message.Append(u" weitere");
    }
    message.Append(
        u"\r\n\r\nTrotzdem speichern? Für diese Dateien werden dann nur die Tags geschrieben, "
        u"die Sie selbst gesetzt haben.");
    return ShowMessage(state.dialog, message.Text(), MB_YESNO) == IDYES;
}

}  // namespace

bool AwaitListingForSave(DialogState& state) {
    if (!IsListingFolders(state)) return true;
    // The listing's own title shows its count meanwhile.
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    state.save.waitingForTags = true;
    while (IsListingFolders(state) && !state.save.cancelled) {
        MsgWaitForMultipleObjectsEx(0, nullptr, kWakeInterval, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        PumpDuringWait(state);
    }
    state.save.waitingForTags = false;
    SetCursor(previous);
    return !state.save.cancelled;
}

bool AwaitTagsForSave(DialogState& state) {
    if (state.tagReader == nullptr) return true;
    TagReader& reader = *state.tagReader;
    const bool idle = IsTagReaderIdle(reader);
    TakeArrivedTags(state);
    if (idle) return true;

    const TagWait outcome = WaitShowingProgress(
        state, WaitSubject{u"Tags werden gelesen: ", TagsAreIn, CountTags, &reader});
    if (outcome == TagWait::kCancelled) return false;
    if (outcome == TagWait::kStalled && !AskToSaveWithoutTags(state)) return false;
    // Tags that arrived while the question was open.
    TakeArrivedTags(state);
    return !state.save.cancelled;
}

bool AwaitCoverPictures(DialogState& state, CoverReading& reading) {
    if (IsCoverReadingDone(reading)) return true;
    // A picture that does not come leaves its tracks without a cover, as one that cannot be
    // read: only the user's Escape or close ends the save.
    return WaitShowingProgress(state, WaitSubject{u"Cover werden gelesen: ", CoversAreIn,
                                                  CountCovers, &reading}) != TagWait::kCancelled;
}
