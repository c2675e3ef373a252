// Clashing outputs are refused rather than renamed: each output stays where the launcher's
// rules put it, so the user finds it beside its source under the source's name.
#include "launcher/output_check_win.h"

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

}  // namespace

OutputCheck CheckTrackOutputs(const DialogState& state, bool decode) {
    TrackOutputs outputs;
    const uint32_t count = state.tracks.Count();
    std::unique_ptr<bool[]> flags(new (std::nothrow) bool[count > 0 ? count : 1]);
    if (!flags || !outputs.Fill(state.tracks, decode)) return OutputCheck::kNoMemory;

    const int64_t clashing = FindClashingTracks(state.tracks, outputs, SameFileName, flags.get());
    if (clashing < 0) return OutputCheck::kNoMemory;
    if (clashing > 0) {
        ShowFramed(state.dialog, kClashStart,
                   ListFlaggedTracks(state.tracks, outputs, flags.get(), true, kShownTracks),
                   kClashEnd, MB_OK);
        return OutputCheck::kStopped;
    }

    // With no clash, no output is a source of this batch: every file found is one of another.
    const int64_t existing = FindExistingOutputs(outputs, flags.get());
    if (existing < 0) return OutputCheck::kNoMemory;
    if (existing == 0) return OutputCheck::kClear;
    const bool one = existing == 1;
    const int answer =
        ShowFramed(state.dialog, one ? kExistingStartOne : kExistingStartMany,
                   ListFlaggedTracks(state.tracks, outputs, flags.get(), false, kShownTracks),
                   one ? kExistingEndOne : kExistingEndMany, MB_YESNO);
    return answer == IDYES ? OutputCheck::kClear : OutputCheck::kStopped;
}
