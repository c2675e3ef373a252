// The run behind "Batch (.hta) &speichern": checks and stores the Lame.exe path, names the
// launcher file in the first track's folder and writes it as UTF-8.
#include "launcher/launcher_writer_win.h"

#include "foundation/path_parts.h"
#include "launcher/call_run.h"
#include "launcher/cover_files_win.h"
#include "launcher/common_arguments.h"
#include "launcher/common_arguments_win.h"
#include "launcher/launcher_file_win.h"
#include "launcher/launcher_names.h"
#include "launcher/launcher_template.h"
#include "outputs/output_check_win.h"
#include "outputs/output_folders_win.h"
#include "launcher/tag_wait_win.h"
#include "launcher/template_file_win.h"
#include "win/control_text_win.h"
#include "win/file_exists_win.h"
#include "win/full_path_win.h"
#include "win/lame_path_setting_win.h"
#include "win/message_win.h"
#include "win/side_by_side_win.h"
#include "win/utf16_cast.h"

namespace {

const char16_t kEnterLamePath[] = u"Bitte geben Sie den Pfadname zu Lame.exe ein.";
const char16_t kWrongLamePath[] = u"Der Pfad zu Lame.exe ist falsch!";
const char16_t kListEmpty[] = u"Die Liste ist leer. Es wird nichts gespeichert!";
const char16_t kOverwriteQuestion[] = u"Soll die bereits existierende Datei überschrieben werden?";
const char16_t kNotOpened[] = u"\r\nkonnte nicht zum Schreiben geöffnet werden!";
const char16_t kNotWritten[] = u"\r\nkonnte nicht vollständig geschrieben werden!";
const char16_t kWritten[] = u" wurde geschrieben.";
const char16_t kLeftOut[] = u"\r\n\r\n%u Titel übersprungen: ihre MP3s gibt es schon.";
const char16_t kAllLeftOut[] =
    u"Alle Titel übersprungen: ihre MP3s gibt es schon. Es wird nichts gespeichert!";
const char16_t kUnreadableIntro[] =
    u"Diese Dateien kann Lame.exe nicht lesen (es liest MP3, WAV, AIFF, FLAC, Ogg Vorbis und "
    u"Opus mit einem oder zwei Kanälen):\r\n";
const char16_t kUnreadableMore[] = u"\r\n... und weitere: ";
const char16_t kUnreadableQuestion[] =
    u"\r\n\r\nSoll der Launcher ohne diese Dateien gespeichert werden? Bei \"Nein\" wird "
    u"nichts gespeichert.";
constexpr uint32_t kUnreadableNamed = 20;  // names in the message; the rest are counted

bool PathExists(const char16_t* path, void*) {
    return FileOrFolderExists(path);
}

void ShowPathMessage(HWND owner, const WideString& path, const char16_t* text) {
    WideString message = path;
    message.Append(text);
    ShowMessage(owner, message.Text());
}

void ShowWritten(HWND owner, const WideString& launcherPath, uint32_t leftOut) {
    WideString message;
    message.AssignText(FileNameOf(launcherPath.Text()));
    message.Append(kWritten);
    if (leftOut > 0) message.Append(WideString().Format(kLeftOut, leftOut));
    ShowMessage(owner, message.Text());
}

// The launcher path in the first track's folder; when a file is there already and the user
// keeps it, the first free numbered name.
WideString ChooseLauncherPath(HWND owner, const WideString& firstTrackPath) {
    const WideString launcherPath = LauncherPathFor(firstTrackPath);
    if (!PathExists(launcherPath.Text(), nullptr) ||
        ShowMessage(owner, kOverwriteQuestion, MB_YESNO) == IDYES)
        return launcherPath;
    return FindNumberedLauncherPath(launcherPath, PathExists, nullptr);
}

// The tracks the launcher runs: those whose file the encoder can read, less those left out
// because their MP3 exists. Holds the records of the dialog's array without owning them.
class WrittenTracks {
  public:
    ~WrittenTracks() {
        while (kept_.Count() > 0) kept_.RemoveAt(kept_.Count() - 1);
        while (remaining_.Count() > 0) remaining_.RemoveAt(remaining_.Count() - 1);
    }
    // False when nothing is to be written: the user, told of the files the encoder cannot
    // read, chose not to save.
    bool Choose(HWND owner, const PointerArray<TrackRecord>& all) {
        WideString message;
        message.Append(kUnreadableIntro);
        uint32_t unreadable = 0;
        // One growth: eight slots at a time made 50,000 tracks cost a fifth of a second.
        if (!kept_.ReserveRoom(all.Count())) return false;
        for (uint32_t i = 0; i < all.Count(); ++i) {
            TrackRecord* record = all.GetAt(i);
            if (!record) continue;
            if (record->input != EncoderInput::kUnreadable) {
                if (!kept_.Add(record)) return false;
                continue;
            }
            if (++unreadable <= kUnreadableNamed) {
                message.Append(u"\r\n");
                message.Append(record->fields[kPath]);
            }
        }
        if (unreadable == 0) {
            tracks_ = &all;
            return true;
        }
        if (unreadable > kUnreadableNamed) {
            message.Append(kUnreadableMore);
            message.Append(WideString().Format(u"%u", unreadable - kUnreadableNamed));
        }
        message.Append(kUnreadableQuestion);
        if (ShowMessage(owner, message.Text(), MB_YESNO | MB_ICONWARNING) != IDYES) return false;
        tracks_ = &kept_;
        return true;
    }
    // Leaves out the tracks flagged, one flag per track chosen; false when memory ran out.
    // The array chosen before stays as it was for the output check made on it.
    bool LeaveOut(const bool* leftOut) {
        if (!remaining_.ReserveRoom(tracks_->Count())) return false;
        for (uint32_t i = 0; i < tracks_->Count(); ++i)
            if (!leftOut[i] && !remaining_.Add(tracks_->GetAt(i))) return false;
        tracks_ = &remaining_;
        return true;
    }
    const PointerArray<TrackRecord>& Tracks() const { return *tracks_; }

  private:
    PointerArray<TrackRecord> kept_;
    PointerArray<TrackRecord> remaining_;
    const PointerArray<TrackRecord>* tracks_ = &kept_;
};

// The save's covers between their reading and their writing, ended with the save.
struct CoverPlanHolder {
    CoverPlan* plan = nullptr;
    CoverPlanHolder() = default;
    CoverPlanHolder(const CoverPlanHolder&) = delete;
    CoverPlanHolder& operator=(const CoverPlanHolder&) = delete;
    ~CoverPlanHolder() { EndCoverPlan(plan); }
};

// Whether the output check lets the write go on; says so when it could not be made.
bool Proceed(HWND owner, OutputCheckResult result, const WideString& firstTrackPath) {
    if (result == OutputCheckResult::kNoMemory)
        ShowPathMessage(owner, LauncherPathFor(firstTrackPath), kNotWritten);
    return result == OutputCheckResult::kClear;
}

void RunWrite(DialogState& state) {
    HWND owner = state.dialog;
    const bool deleteOriginals = IsChecked(state.controls.deleteOriginals);
    WideString lamePath;
    ReadField(state.controls.lamePath, lamePath);
    if (!PathExists(lamePath.Text(), nullptr)) {
        ShowMessage(owner, lamePath.IsEmpty() ? kEnterLamePath : kWrongLamePath);
        return;
    }
    StoreLamePathSetting(lamePath);
    // The launcher runs in the music's folder: it gets the full path the check found, so that
    // a relative path such as "Lame.exe" still names that file there.
    const WideString lameFullPath = FullPathOf(lamePath);

    if (!AwaitListingForSave(state)) return;  // no launcher with half a folder
    if (!AwaitTagsForSave(state)) return;     // no launcher with half the tags unasked
    if (!state.tracks.GetAt(0) || state.tracks.GetAt(0)->fields[kPath].IsEmpty()) {
        ShowMessage(owner, kListEmpty);
        return;
    }
    WrittenTracks written;
    if (!written.Choose(owner, state.tracks)) return;
    const TrackRecord* first = written.Tracks().GetAt(0);
    if (!first || first->fields[kPath].IsEmpty()) {
        ShowMessage(owner, kListEmpty);
        return;
    }
    const WideString commonArguments = ComposeCommonArgumentsFromControls(state);
    const bool decode = IsDecodeRun(commonArguments);
    const bool id3v2 = IsChecked(state.controls.id3v2);
    const bool id3v2Only = IsChecked(state.controls.id3v2Only);
    // The folders are searched for existing outputs while the clashes are looked for and the
    // launcher's bytes are made.
    OutputCheck check(written.Tracks(), decode, state.output);
    if (!Proceed(owner, check.RefuseClashes(owner), first->fields[kPath])) return;
    // A problem with the template file is shown later, where it always was: once the launcher
    // file is open.
    const LauncherTemplate launcherTemplate = ReadLauncherTemplate(TemplateFilePath());
    const OutputCheckResult existing =
        check.ConfirmExistingOutputs(owner, state.output.skipExisting);
    if (existing == OutputCheckResult::kAllLeftOut) {
        ShowMessage(owner, kAllLeftOut);
        return;
    }
    if (!Proceed(owner, existing, first->fields[kPath])) return;
    if (check.LeftOut() && !written.LeaveOut(check.LeftOut())) {
        Proceed(owner, OutputCheckResult::kNoMemory, first->fields[kPath]);
        return;
    }
    // The launcher stays in the first track's folder of the whole batch, where the first
    // save put it, even when that track is left out.
    const PointerArray<TrackRecord>& tracks = written.Tracks();
    const WideString launcherPath = ChooseLauncherPath(owner, first->fields[kPath]);

    // The pictures embedded in the sources are read again under a wait the user may end; they
    // are written only once the launcher file is open, so a save the user ends or a launcher
    // that cannot be written leaves no folder of covers behind. A decoding run writes no tags
    // and takes none.
    CoverPlanHolder coverPlan;
    if (state.output.cover && !decode) {
        coverPlan.plan = PlanCoverFiles(tracks, launcherPath, state.save.readCover);
        if (coverPlan.plan != nullptr &&
            !AwaitCoverPictures(state, CoverPlanReading(*coverPlan.plan)))
            return;
    }

    LauncherFile file;
    if (!OpenLauncherFile(launcherPath, file)) {
        ShowPathMessage(owner, launcherPath, kNotOpened);
        return;
    }
    MakeOutputFolders(check.Outputs());
    ReportLauncherTemplate(owner, launcherTemplate);

    TrackCoverFiles covers;
    const bool withCovers =
        coverPlan.plan != nullptr && WriteCoverFiles(*coverPlan.plan, tracks.Count(), covers);
    // Megabytes for a library: each half made on a thread of its own.
    const WideString callRuns =
        BuildCallRunsBlock(tracks, id3v2, id3v2Only, decode, check.Outputs(),
                           withCovers ? &covers : nullptr, RunSideBySide);
    const NarrowString bytes =
        FillLauncherTemplateAsUtf8(launcherTemplate.text, deleteOriginals, lameFullPath,
                                   commonArguments, callRuns, RunSideBySide);
    // Every track yields a line and every filled template some bytes (the built-in one, or a
    // file that holds "html"): an empty result means memory ran out or the text grew too long,
    // and a launcher without its tracks or its text must not be reported as written.
    const bool tracksLost = tracks.Count() > 0 && callRuns.IsEmpty();
    const bool complete = !tracksLost && !bytes.IsEmpty();

    switch (FinishLauncherFile(file, bytes, complete)) {
        case LauncherWrite::kWritten:
            ShowWritten(owner, launcherPath, check.LeftOutCount());
            break;
        case LauncherWrite::kIncomplete:
            ShowPathMessage(owner, launcherPath, kNotWritten);
            break;
        case LauncherWrite::kNotReplaced:
            ShowPathMessage(owner, launcherPath, kNotOpened);
            break;
    }
}

}  // namespace

void WriteLauncher(DialogState& state) {
    state.save.running = true;
    state.save.cancelled = false;
    RunWrite(state);
    state.save.running = false;
}
