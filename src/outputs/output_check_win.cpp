// Clashing outputs are refused rather than renamed: each output stays where the launcher's
// rules put it, so the user finds it beside its source under the source's name.
#include "outputs/output_check_win.h"

#include <new>

#include "outputs/same_file_names.h"
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

OutputCheck::OutputCheck(const PointerArray<TrackRecord>& tracks, bool decode,
                         const OutputSettings& settings)
    : tracks_(tracks) {
    const uint32_t count = tracks.Count();
    clashing_.reset(new (std::nothrow) bool[count > 0 ? count : 1]);
    existing_.reset(new (std::nothrow) bool[count > 0 ? count : 1]);
    sameFiles_.reset(new (std::nothrow) bool[count > 0 ? count : 1]);
    ready_ = clashing_ && existing_ && sameFiles_ && outputs_.Fill(tracks, decode, &settings);
    if (ready_)
        search_.reset(new (std::nothrow) ExistingOutputsSearch(outputs_, existing_.get(), &tracks_,
                                                               sameFiles_.get()));
    ready_ = ready_ && search_;
}

OutputCheckResult OutputCheck::RefuseClashes(HWND owner) {
    if (!ready_) return OutputCheckResult::kNoMemory;
    const int64_t clashing = FindClashingTracks(tracks_, outputs_, SameFileName, clashing_.get());
    if (clashing < 0) return OutputCheckResult::kNoMemory;
    if (clashing == 0) return OutputCheckResult::kClear;
    search_->Abandon();
    ShowFramed(owner, kClashStart,
               ListClashingTracks(tracks_, outputs_, clashing_.get(), kShownTracks), kClashEnd,
               MB_OK);
    return OutputCheckResult::kStopped;
}

OutputCheckResult OutputCheck::ConfirmExistingOutputs(HWND owner, bool skipExisting) {
    if (!ready_) return OutputCheckResult::kNoMemory;
    const int64_t existing = search_->Finish();
    if (existing < 0 || search_->IdentityClashes() < 0) return OutputCheckResult::kNoMemory;
    // Names that differ may still be one file (a second drive letter, "..", a link): such a
    // clash is refused as the others are, never asked about as an existing file.
    if (search_->IdentityClashes() > 0) {
        ShowFramed(owner, kClashStart,
                   ListClashingTracks(tracks_, outputs_, sameFiles_.get(), kShownTracks), kClashEnd,
                   MB_OK);
        return OutputCheckResult::kStopped;
    }
    // With no clash, no output is a source of this batch: every file found is one of another.
    if (existing == 0) return OutputCheckResult::kClear;
    if (skipExisting) {
        leftOut_ = uint32_t(existing);
        outputs_.LeaveOut(existing_.get());
        return outputs_.Count() == 0 ? OutputCheckResult::kAllLeftOut : OutputCheckResult::kClear;
    }
    const bool one = existing == 1;
    const int answer = ShowFramed(owner, one ? kExistingStartOne : kExistingStartMany,
                                  ListExistingOutputs(outputs_, existing_.get(), kShownTracks),
                                  one ? kExistingEndOne : kExistingEndMany, MB_YESNO);
    return answer == IDYES ? OutputCheckResult::kClear : OutputCheckResult::kStopped;
}
