// The dialog takes what it is given only when it can be used: bad input is said in a message
// and nothing is stored, so the launcher never meets a pattern or folder it cannot follow.
#include "app/settings_dialog_win.h"

#include <shlobj.h>
#include <windowsx.h>

#include "launcher/common_arguments.h"
#include "launcher/common_arguments_win.h"
#include "outputs/name_pattern.h"
#include "outputs/output_folder.h"
#include "outputs/output_namer.h"
#include "outputs/output_settings_win.h"
#include "resources/control_ids.h"
#include "tracks/selection_win.h"
#include "win/control_text_win.h"
#include "win/message_win.h"
#include "win/utf16_cast.h"

namespace {

const char16_t kUnknownField[] =
    u"Das Muster nennt ein unbekanntes Feld: %s\r\n"
    u"Bekannt sind <Interpret>, <Album>, <Titel>, <Nr>, <Jahr>, "
    u"<Genre> und <Quelldatei>.";
const char16_t kUnclosedField[] = u"Im Muster fehlt zu einem \"<\" das \">\".";
const char16_t kNoFileName[] = u"Das Muster ergibt keinen Dateinamen.";
const char16_t kEnterFolder[] = u"Bitte geben Sie den Ausgabeordner ein.";
const char16_t kFolderNotAbsolute[] =
    u"Bitte geben Sie den Ausgabeordner mit seinem Laufwerk an (zum Beispiel D:\\MP3).";
const char16_t kFolderPartEnd[] =
    u"Bitte geben Sie den Ausgabeordner ohne Punkt oder Leerzeichen am Ende eines "
    u"Ordnernamens an (Windows lässt sie weg).";
const char16_t kFolderTooLong[] =
    u"Der Pfad des Ausgabeordners ist zu lang (höchstens %u Zeichen).";
const char16_t kNoSuchDrive[] = u"Das Laufwerk %s gibt es nicht.";
const char16_t kNoSuchShare[] = u"Die Freigabe %s ist nicht erreichbar.";
const char16_t kEmptyList[] = u"(Die Liste ist leer.)";
const char16_t kFolderPickerTitle[] = u"Ordner für die MP3-Dateien:";

struct SettingsDialog {
    DialogState* main = nullptr;
    HWND window = nullptr;
    HWND besideSource = nullptr, ownFolder = nullptr, folder = nullptr, chooseFolder = nullptr;
    HWND keepSourceFolders = nullptr, pattern = nullptr, preview = nullptr;
    HWND takeCover = nullptr, skipExisting = nullptr;
    bool decode = false;    // the main dialog's arguments decode: the preview's suffix
    int previewTrack = -1;  // the first selected track, or the first
};

OutputSettings SettingsFromControls(const SettingsDialog& dialog) {
    OutputSettings settings;
    settings.ownFolder = IsChecked(dialog.ownFolder);
    ReadField(dialog.folder, settings.folder);
    settings.folder = FullOutputFolder(settings.folder);
    settings.keepSourceFolders = IsChecked(dialog.keepSourceFolders);
    ReadField(dialog.pattern, settings.pattern);
    settings.cover = IsChecked(dialog.takeCover);
    settings.skipExisting = IsChecked(dialog.skipExisting);
    return settings;
}

// What is wrong with the settings, in words; empty when they can be used. The drive is
// asked for only when asked: the preview does not wait for a network share.
WideString ProblemOf(const OutputSettings& settings, bool askDrive) {
    WideString problem;
    const PatternCheck check = CheckNamePattern(settings.pattern.Text());
    switch (check.problem) {
        case PatternProblem::kUnknownField:
            return problem.Format(kUnknownField, check.field.Text());
        case PatternProblem::kUnclosedField:
            return problem.AssignText(kUnclosedField);
        case PatternProblem::kNoFileName:
            return problem.AssignText(kNoFileName);
        case PatternProblem::kNone:
            break;
    }
    if (!settings.ownFolder) return problem;
    switch (CheckOutputFolder(settings.folder.Text())) {
        case FolderProblem::kEmpty:
            return problem.AssignText(kEnterFolder);
        case FolderProblem::kNotAbsolute:
            return problem.AssignText(kFolderNotAbsolute);
        case FolderProblem::kPartEndsInDotOrBlank:
            return problem.AssignText(kFolderPartEnd);
        case FolderProblem::kTooLong:
            return problem.Format(kFolderTooLong, kLongestOutputFolder);
        case FolderProblem::kNone:
            break;
    }
    if (!askDrive) return problem;
    const WideString root = RootOfFolder(settings.folder.Text());
    const UINT type = GetDriveTypeW(AsWide(root.Text()));
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
        problem.Format(root.Text()[0] == u'\\' ? kNoSuchShare : kNoSuchDrive, root.Text());
    return problem;
}

void ShowPreview(const SettingsDialog& dialog) {
    const OutputSettings settings = SettingsFromControls(dialog);
    WideString text = ProblemOf(settings, false);
    const TrackRecord* track =
        dialog.main->tracks.GetAt(static_cast<uint32_t>(dialog.previewTrack));
    OutputNamer namer;
    if (!text.IsEmpty()) {
        text = text.ReplaceAll(u"\r\n", u" ");
    } else if (!track) {
        text.AssignText(kEmptyList);
    } else if (namer.Prepare(settings, dialog.main->tracks)) {
        uint32_t length = 0;
        const char16_t* name = namer.Name(*track, dialog.decode, length);
        text.AssignText(name, length);
    }
    SetWindowTextW(dialog.preview, AsWide(text.Text()));
}

void EnableFolderChoice(const SettingsDialog& dialog) {
    const BOOL own = IsChecked(dialog.ownFolder);
    EnableWindow(dialog.folder, own);
    EnableWindow(dialog.chooseFolder, own);
    EnableWindow(dialog.keepSourceFolders, own);
}

int CALLBACK StartInFolder(HWND picker, UINT message, LPARAM, LPARAM folder) {
    if (message == BFFM_INITIALIZED && folder)
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, folder);
    return 0;
}

// The system's folder picker, starting at the folder typed. SHBrowseForFolder rather than
// the item dialog: it runs alike under Wine and on Windows, and a test can answer it with
// its documented BFFM_SETSELECTION.
void ChooseFolder(const SettingsDialog& dialog) {
    WideString start;
    ReadField(dialog.folder, start);
    const HRESULT ole = OleInitialize(nullptr);  // the picker's new style needs OLE
    BROWSEINFOW request{};
    request.hwndOwner = dialog.window;
    request.lpszTitle = AsWide(kFolderPickerTitle);
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    request.lpfn = StartInFolder;
    request.lParam = start.IsEmpty() ? 0 : reinterpret_cast<LPARAM>(start.Text());
    if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&request)) {
        WideString path;
        if (path.PrepareBuffer(MAX_PATH) && SHGetPathFromIDListW(chosen, AsWide(path.Buffer()))) {
            path.Truncate(TextLength(path.Text()));
            SetWindowTextW(dialog.folder, AsWide(path.Text()));
        }
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(ole)) OleUninitialize();
}

// OK: the settings are taken and stored only when they can be used.
void TakeSettings(SettingsDialog& dialog) {
    OutputSettings settings = SettingsFromControls(dialog);
    const WideString problem = ProblemOf(settings, true);
    if (!problem.IsEmpty()) {
        ShowMessage(dialog.window, problem.Text());
        return;
    }
    // A folder typed while "Neben der Quelle" is chosen is kept only when it could be used.
    if (!settings.ownFolder && CheckOutputFolder(settings.folder.Text()) != FolderProblem::kNone)
        settings.folder = dialog.main->output.folder;
    StoreOutputSettings(settings);
    dialog.main->output = settings;
    EndDialog(dialog.window, IDOK);
}

// Over the middle of the main window, inside the work area of its display.
void CenterOnOwner(HWND window, HWND owner) {
    RECT ownerRect, rect;
    GetWindowRect(owner, &ownerRect);
    GetWindowRect(window, &rect);
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    LONG x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
    LONG y = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        if (x + width > work.right) x = work.right - width;
        if (y + height > work.bottom) y = work.bottom - height;
        if (x < work.left) x = work.left;
        if (y < work.top) y = work.top;
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL StartSettingsDialog(HWND window, SettingsDialog& dialog) {
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&dialog));
    dialog.window = window;
    dialog.besideSource = GetDlgItem(window, IDO_BESIDE_SOURCE);
    dialog.ownFolder = GetDlgItem(window, IDO_OWN_FOLDER);
    dialog.folder = GetDlgItem(window, IDE_OUTPUT_FOLDER);
    dialog.chooseFolder = GetDlgItem(window, IDB_CHOOSE_FOLDER);
    dialog.keepSourceFolders = GetDlgItem(window, IDX_KEEP_SOURCE_FOLDERS);
    dialog.pattern = GetDlgItem(window, IDE_NAME_PATTERN);
    dialog.preview = GetDlgItem(window, IDE_PREVIEW);
    dialog.takeCover = GetDlgItem(window, IDX_TAKE_COVER);
    dialog.skipExisting = GetDlgItem(window, IDX_SKIP_EXISTING);
    const DialogState& main = *dialog.main;
    dialog.decode = IsDecodeRun(ComposeCommonArgumentsFromControls(main));
    dialog.previewTrack = FirstSelectedRow(main);
    if (dialog.previewTrack < 0 && main.tracks.Count() > 0) dialog.previewTrack = 0;

    const OutputSettings& settings = main.output;
    SendMessageW(settings.ownFolder ? dialog.ownFolder : dialog.besideSource, BM_SETCHECK,
                 BST_CHECKED, 0);
    SetWindowTextW(dialog.folder, AsWide(settings.folder.Text()));
    SendMessageW(dialog.keepSourceFolders, BM_SETCHECK,
                 settings.keepSourceFolders ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(dialog.takeCover, BM_SETCHECK, settings.cover ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(dialog.skipExisting, BM_SETCHECK,
                 settings.skipExisting ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(dialog.pattern, AsWide(settings.pattern.Text()));
    EnableFolderChoice(dialog);
    ShowPreview(dialog);
    CenterOnOwner(window, main.dialog);
    return TRUE;  // the focus goes to the first tab stop, the checked radio button
}

void RouteSettingsCommand(SettingsDialog& dialog, int id, UINT code) {
    switch (id) {
        case IDO_BESIDE_SOURCE:
        case IDO_OWN_FOLDER:
        case IDX_KEEP_SOURCE_FOLDERS:
            if (code != BN_CLICKED) return;
            EnableFolderChoice(dialog);
            ShowPreview(dialog);
            return;
        case IDE_OUTPUT_FOLDER:
        case IDE_NAME_PATTERN:
            if (code == EN_CHANGE) ShowPreview(dialog);
            return;
        case IDB_CHOOSE_FOLDER:
            ChooseFolder(dialog);
            return;
        case IDOK:
            TakeSettings(dialog);
            return;
        case IDCANCEL:  // "Abbrechen", Escape and the close box
            EndDialog(dialog.window, IDCANCEL);
            return;
        default:
            return;
    }
}

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return StartSettingsDialog(window, *reinterpret_cast<SettingsDialog*>(lParam));
    auto* dialog = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog || message != WM_COMMAND) return FALSE;
    RouteSettingsCommand(*dialog, GET_WM_COMMAND_ID(wParam, lParam),
                         GET_WM_COMMAND_CMD(wParam, lParam));
    return TRUE;
}

}  // namespace

void AddSettingsToSystemMenu(HWND dialog) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (!menu) return;
    const int count = GetMenuItemCount(menu);
    int close = 0;
    while (close < count && GetMenuItemID(menu, close) != SC_CLOSE) ++close;
    InsertMenuW(menu, close, MF_BYPOSITION | MF_STRING, IDM_SETTINGS, L"&Einstellungen...");
    InsertMenuW(menu, close + 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void ShowSettingsDialog(DialogState& state) {
    SettingsDialog dialog;
    dialog.main = &state;
    DialogBoxParamW(state.instance, MAKEINTRESOURCEW(IDD_SETTINGS), state.dialog,
                    SettingsDialogProc, reinterpret_cast<LPARAM>(&dialog));
}
