// The main dialog's procedure: it makes the dialog state at WM_INITDIALOG, keeps it in the
// DWLP_USER slot, and routes every message and command to the handler that owns the action,
// handing it the state. The state goes with the window at WM_NCDESTROY.
#include "app/main_dialog_win.h"

#include <new>

#include <shellapi.h>
#include <windowsx.h>

#include "app/dpi_win.h"
#include "app/lame_chooser_win.h"
#include "app/layout_win.h"
#include "app/list_commands_win.h"
#include "app/settings_dialog_win.h"
#include "launcher/launcher_writer_win.h"
#include "outputs/output_settings_win.h"
#include "options/options_win.h"
#include "resources/control_ids.h"
#include "sources/folder_listing_win.h"
#include "tracks/file_list_win.h"
#include "tracks/folder_drop_win.h"
#include "tracks/genre_menu_win.h"
#include "tracks/path_menu_win.h"
#include "tracks/selection_win.h"
#include "tracks/source_tags_win.h"
#include "sources/tag_reader_win.h"
#include "tracks/tag_editing_win.h"
#include "win/lame_path_setting_win.h"
#include "win/utf16_cast.h"

namespace {

constexpr int kTagFieldIds[kTagFieldCount] = {IDE_ARTIST, IDE_ALBUM,        IDE_TITLE, IDE_COMMENT,
                                              IDE_YEAR,   IDE_TRACK_NUMBER, IDE_GENRE};

bool IsTagField(int id) {
    for (int tagFieldId : kTagFieldIds) {
        if (id == tagFieldId) return true;
    }
    return false;
}

void KeepControlHandles(HWND dialog, DialogControls& controls) {
    controls.files = GetDlgItem(dialog, IDL_FILES);
    for (int i = 0; i < kTagFieldCount; ++i)
        controls.tagFields[i] = GetDlgItem(dialog, kTagFieldIds[i]);
    controls.mode = GetDlgItem(dialog, IDC_MODE);
    controls.quality = GetDlgItem(dialog, IDC_QUALITY);
    controls.bitrate = GetDlgItem(dialog, IDC_BITRATE);
    controls.maxBitrate = GetDlgItem(dialog, IDC_MAX_BITRATE);
    controls.preset = GetDlgItem(dialog, IDC_PRESET);
    controls.params = GetDlgItem(dialog, IDE_PARAMS);
    controls.extraArguments = GetDlgItem(dialog, IDE_EXTRA_ARGS);
    controls.lamePath = GetDlgItem(dialog, IDE_LAME_PATH);
    controls.id3v2 = GetDlgItem(dialog, IDX_ID3V2);
    controls.id3v2Only = GetDlgItem(dialog, IDX_ID3V2_ONLY);
    controls.deleteOriginals = GetDlgItem(dialog, IDX_DELETE_ORIGINALS);
}

void RecordMinimumSize(DialogState& state) {
    RECT rect;
    GetWindowRect(state.dialog, &rect);
    state.minimumSize = {rect.right - rect.left, rect.bottom - rect.top};
}

BOOL InitializeMainDialog(HWND dialog, HINSTANCE instance) {
    auto* state = new (std::nothrow) DialogState;
    if (state == nullptr) {
        DestroyWindow(dialog);
        return FALSE;
    }
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    state->dialog = dialog;
    state->instance = instance;
    KeepControlHandles(dialog, state->controls);
    RecordDialogDpi(*state);
    InstallSmallIcon(*state);
    LoadGenreList(state->genres);
    RecordMinimumSize(*state);
    RecordLayoutAnchors(*state);
    FillOptionLists(*state);
    SetWindowTextW(state->controls.params, L"-b 128 -h");
    EnableWindow(state->controls.maxBitrate, FALSE);
    EnableTagFields(*state, false);
    SetWindowTextW(state->controls.lamePath, AsWide(ReadLamePathSetting().Text()));
    state->output = ReadOutputSettings();
    AddSettingsToSystemMenu(dialog);
    DragAcceptFiles(dialog, TRUE);
    return TRUE;  // the system focuses the first tab stop, the Lame.exe path
}

void ForgetState(HWND dialog) {
    DialogState* state = MainDialogState(dialog);
    if (state) {
        StopListingFolders(*state);
        StopReadingTags(*state);
        ReleaseDisplayScale(*state);
    }
    delete state;
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
}

void SuggestInto(DialogState& state, int field) {
    if (SuggestPathPiece(state, FirstSelectedRow(state),
                         state.controls.tagFields[field - kFirstTag]))
        ApplyTagFields(state);
}

void RouteCommand(DialogState& state, int id, HWND control, UINT code) {
    // Only typing by the user applies tags: text the program sets arrives while
    // the focus is elsewhere.
    if (IsTagField(id)) {
        if (code == EN_CHANGE && control == GetFocus()) ApplyTagFields(state);
        return;
    }
    switch (id) {
        case IDB_BATCH:
            WriteLauncher(state);
            // A close asked for during the run: the state goes with the window.
            if (state.save.closeAsked) DestroyWindow(state.dialog);
            break;
        case IDL_FILES:
            if (code == LBN_SELCHANGE) TakeSelectionChange(state);
            break;
        case IDC_BITRATE:
        case IDC_MAX_BITRATE:
        case IDC_MODE:
            if (code == CBN_SELCHANGE) ShowOptionArguments(state);
            break;
        case IDC_QUALITY:
            TakeQualityChoice(state);
            if (code == CBN_SELCHANGE) ShowOptionArguments(state);
            break;
        case IDC_PRESET:
            TakePresetChoice(state);
            break;
        case IDB_NUMBER:
            NumberAllTracks(state);
            break;
        case IDB_ARTIST_PIECE:
            SuggestInto(state, kArtist);
            break;
        case IDB_ALBUM_PIECE:
            SuggestInto(state, kAlbum);
            break;
        case IDB_TITLE_PIECE:
            SuggestInto(state, kTitle);
            break;
        case IDB_GENRE_MENU:
            if (ShowGenreMenu(state)) ApplyTagFields(state);
            break;
        case IDB_CHOOSE_LAME:
            ChooseLameExe(state);
            break;
        case IDB_REMOVE:
            RemoveSelectedTracks(state);
            break;
        case IDB_UP:
            MoveSelectionUp(state);
            break;
        case IDB_DOWN:
            MoveSelectionDown(state);
            break;
        case IDM_SELECT_ALL:
            SelectAllTracks(state);
            break;
        case IDCANCEL:
            EndListingFolders(state);  // Escape keeps what was found
            break;
        default:
            break;  // IDM_NOTHING (Alt+'/', Alt+'?'), check boxes: nothing
    }
}

// The save's waits pump messages: nothing may start a second run or change a track under it.
// Escape (IDCANCEL) and a close end its wait for tags; the window closes once it returns.
void TakeCommandDuringSave(DialogState& state, int id) {
    if (id == IDCANCEL) state.save.cancelled = true;
}

void CloseDuringSave(DialogState& state) {
    state.save.cancelled = true;
    state.save.closeAsked = true;
}

void RefuseDropDuringSave(HDROP drop) {
    DragFinish(drop);
    MessageBeep(MB_OK);
}

BOOL ShowWaitCursor(HWND dialog) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

// The window moved to a display of another scale: laid out anew for it, its minimum and
// anchors taken again, then moved where the system suggests.
BOOL TakeNewDpi(DialogState& state, UINT dpi, const RECT* suggested) {
    state.minimumSize = {0, 0};  // the old minimum would keep the window from shrinking
    ArrangeForDpi(state, dpi);
    RecordMinimumSize(state);
    RecordLayoutAnchors(state);
    if (suggested) MoveToSuggestedRect(state.dialog, *suggested, state.minimumSize);
    return TRUE;
}

BOOL LimitTrackSize(const DialogState& state, MINMAXINFO* info) {
    if (state.minimumSize.cx == 0) return TRUE;
    info->ptMinTrackSize.x = state.minimumSize.cx;
    info->ptMinTrackSize.y = state.minimumSize.cy;
    return FALSE;
}

}  // namespace

DialogState* MainDialogState(HWND dialog) {
    if (dialog == nullptr || !IsWindow(dialog)) return nullptr;
    return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return InitializeMainDialog(dialog, reinterpret_cast<HINSTANCE>(lParam));
    DialogState* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    // Messages that arrive while the dialog is being made, before its state exists, take the
    // default handling.
    if (state == nullptr) return message == WM_GETMINMAXINFO;
    switch (message) {
        case WM_COMMAND:
            if (state->save.running) {
                TakeCommandDuringSave(*state, GET_WM_COMMAND_ID(wParam, lParam));
                return FALSE;
            }
            RouteCommand(*state, GET_WM_COMMAND_ID(wParam, lParam),
                         GET_WM_COMMAND_HWND(wParam, lParam), GET_WM_COMMAND_CMD(wParam, lParam));
            return FALSE;
        case WM_DROPFILES:
            if (state->save.running) {
                RefuseDropDuringSave(reinterpret_cast<HDROP>(wParam));
            } else {
                TakeDroppedFiles(*state, reinterpret_cast<HDROP>(wParam));
            }
            return FALSE;
        case WM_SETCURSOR:
            if (!state->save.waitingForTags || LOWORD(lParam) != HTCLIENT) return FALSE;
            return ShowWaitCursor(dialog);
        case kSourceTagsArrived:
            TakeArrivedTags(*state);
            return FALSE;
        case kFolderListingEnded:
            TakeListedFiles(*state);
            return FALSE;
        case WM_TIMER:
            if (wParam == kListingTimer) TakeListedFiles(*state);
            return FALSE;
        case WM_DRAWITEM:
            if (wParam != IDL_FILES) return FALSE;
            return PaintTrackRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), state->scale.dpi);
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) LayOutDialog(*state);
            return FALSE;
        case WM_SYSCOMMAND:
            // The system keeps the low four bits of a system menu command for itself.
            if ((wParam & 0xFFF0) != IDM_SETTINGS) return FALSE;
            // Not while a save runs: it reads the settings once its wait for tags is over.
            if (state->save.running) {
                MessageBeep(MB_OK);
            } else {
                ShowSettingsDialog(*state);
            }
            return TRUE;
        case WM_DPICHANGED:
            return TakeNewDpi(*state, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        case WM_GETMINMAXINFO:
            return LimitTrackSize(*state, reinterpret_cast<MINMAXINFO*>(lParam));
        case WM_CLOSE:
            if (state->save.running) {
                CloseDuringSave(*state);
            } else {
                DestroyWindow(dialog);
            }
            return FALSE;
        case WM_DESTROY:
            PostQuitMessage(0);
            return FALSE;
        case WM_NCDESTROY:
            ForgetState(dialog);
            return FALSE;
        default:
            return FALSE;
    }
}
