// The run behind "Batch (.hta) &speichern": checks and stores the Lame.exe path, names the
// launcher file in the first track's folder and writes it as UTF-8.
#include "launcher/batch_writer_win.h"

#include "app/file_exists_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "launcher/call_run.h"
#include "launcher/launcher_file_win.h"
#include "launcher/launcher_names.h"
#include "launcher/launcher_template.h"
#include "launcher/template_file_win.h"
#include "options/options_win.h"
#include "resources/control_ids.h"
#include "tracks/tag_editing_win.h"
#include "tracks/track_record.h"

namespace {

const char16_t kEnterLamePath[] = u"Bitte geben Sie den Pfadname zu Lame.exe ein.";
const char16_t kWrongLamePath[] = u"Der Pfad zu Lame.exe ist falsch!";
const char16_t kListEmpty[] = u"Die Liste ist leer. Es wird nichts gespeichert!";
const char16_t kOverwriteQuestion[] = u"Soll die bereits existierende Datei überschrieben werden?";
const char16_t kNotOpened[] = u"\r\nkonnte nicht zum Schreiben geöffnet werden!";
const char16_t kNotWritten[] = u"\r\nkonnte nicht vollständig geschrieben werden!";
const char16_t kWritten[] = u" wurde geschrieben.";

bool PathExists(const char16_t* path, void*) {
    return FileOrFolderExists(path);
}

bool IsChecked(int id) {
    return IsDlgButtonChecked(MainWindow(), id) == BST_CHECKED;
}

void ShowPathMessage(const WideString& path, const char16_t* text) {
    WideString message = path;
    message.Append(text);
    ShowMessage(message.Text());
}

void ShowWritten(const WideString& launcherPath) {
    const char16_t* backslash = launcherPath.FindLastCharPointer(u'\\');
    WideString message;
    message.AssignText(backslash ? backslash + 1 : launcherPath.Text());
    message.Append(kWritten);
    ShowMessage(message.Text());
}

// The launcher path in the first track's folder; when a file is there already and the user
// keeps it, the first free numbered name. Empty when the list has no first track.
WideString ChooseLauncherPath() {
    const TrackRecord* first = TrackArray().GetAt(0);
    if (!first || first->fields[kPath].IsEmpty()) return WideString();
    const WideString launcherPath = LauncherPathFor(first->fields[kPath]);
    if (!PathExists(launcherPath.Text(), nullptr) ||
        ShowMessage(kOverwriteQuestion, MB_YESNO) == IDYES)
        return launcherPath;
    return FindNumberedLauncherPath(launcherPath, PathExists, nullptr);
}

WideString ComposeCommonArgumentsFromControls() {
    WideString optionArguments;
    ComposeOptionArgumentsFromControls(optionArguments);
    WideString extraArguments;
    ReadField(IDE_EXTRA_ARGS, extraArguments);
    return ComposeCommonArguments(optionArguments, extraArguments);
}

}  // namespace

void RunBatchWriter(bool deleteOriginals) {
    WideString lamePath;
    ReadField(IDE_LAME_PATH, lamePath);
    if (!PathExists(lamePath.Text(), nullptr)) {
        ShowMessage(lamePath.IsEmpty() ? kEnterLamePath : kWrongLamePath);
        return;
    }
    StoreLamePath(lamePath);

    const WideString launcherPath = ChooseLauncherPath();
    if (launcherPath.IsEmpty()) {
        ShowMessage(kListEmpty);
        return;
    }
    const WideString commonArguments = ComposeCommonArgumentsFromControls();

    LauncherFile file;
    if (!OpenLauncherFile(launcherPath, file)) {
        ShowPathMessage(launcherPath, kNotOpened);
        return;
    }
    const WideString callRuns =
        BuildCallRunsBlock(TrackArray(), IsChecked(IDX_ID3V2), IsChecked(IDX_ID3V2_ONLY),
                           IsDecodeRun(commonArguments));
    const WideString text = FillLauncherTemplate(ObtainLauncherTemplate(), deleteOriginals,
                                                 lamePath, commonArguments, callRuns);
    const NarrowString bytes = text.ToUtf8();
    // Every track yields a line, every filled template some text (the built-in one, or a
    // file that holds "html") and every text some bytes: an empty result means memory ran
    // out or the text grew too long, and a launcher without its tracks or its text must not
    // be reported as written.
    const bool tracksLost = TrackArray().Count() > 0 && callRuns.IsEmpty();
    const bool textLost = text.IsEmpty() || bytes.IsEmpty();

    switch (FinishLauncherFile(file, bytes, !tracksLost && !textLost)) {
        case LauncherWrite::kWritten:
            ShowWritten(launcherPath);
            break;
        case LauncherWrite::kIncomplete:
            ShowPathMessage(launcherPath, kNotWritten);
            break;
        case LauncherWrite::kNotReplaced:
            ShowPathMessage(launcherPath, kNotOpened);
            break;
    }
}
