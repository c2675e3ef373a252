// The main dialog's procedure: initialisation and the routing of every message
// and command to the handler that owns the action.
#include "app/shell_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app/dpi_win.h"
#include "app/layout_win.h"
#include "app/list_commands_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "launcher/batch_writer_win.h"
#include "options/options_win.h"
#include "resources/control_ids.h"
#include "tracks/file_list_win.h"
#include "tracks/genre_menu_win.h"
#include "tracks/path_menu_win.h"
#include "tracks/tag_editing_win.h"
#include "tracks/track_record.h"

void ChooseLameExe(HWND dialog);

namespace {
// Outer size of the dialog as created; the window never becomes smaller.
LONG g_minimumWidth = 0;
LONG g_minimumHeight = 0;

bool IsTagField(int id) {
    switch (id) {
        case IDE_ARTIST:
        case IDE_ALBUM:
        case IDE_TITLE:
        case IDE_COMMENT:
        case IDE_YEAR:
        case IDE_TRACK_NUMBER:
        case IDE_GENRE:
            return true;
        default:
            return false;
    }
}

void RecordMinimumSize(HWND dialog) {
    RECT rect;
    GetWindowRect(dialog, &rect);
    g_minimumWidth = rect.right - rect.left;
    g_minimumHeight = rect.bottom - rect.top;
}

BOOL InitializeMainDialog(HWND dialog) {
    SetMainWindow(dialog);
    RecordDialogDpi(dialog);
    InstallSmallIcon(dialog);
    // A new dialog starts with an empty list and no selection bookkeeping.
    TrackArray().DeleteAll();
    ResetTagEditing();
    LoadGenreList();
    RecordMinimumSize(dialog);
    RecordLayoutAnchors(dialog);
    FillOptionLists();
    SetDlgItemTextW(dialog, IDE_PARAMS, L"-b 128 -h");
    EnableWindow(GetDlgItem(dialog, IDC_MAX_BITRATE), FALSE);
    EnableTagFields(false);
    ReadLamePathIntoField();
    DragAcceptFiles(dialog, TRUE);
    return TRUE;  // the system focuses the first tab stop, the Lame.exe path
}

int FirstSelectedRow(HWND dialog) {
    int first = -1;
    LRESULT found = SendDlgItemMessageW(dialog, IDL_FILES, LB_GETSELITEMS, 1,
                                        reinterpret_cast<LPARAM>(&first));
    return found > 0 ? first : -1;
}

void SuggestInto(HWND dialog, int targetFieldId) {
    if (SuggestPathPiece(FirstSelectedRow(dialog), targetFieldId)) ApplyTagFields();
}

void RouteCommand(HWND dialog, int id, HWND control, UINT code) {
    // Only typing by the user applies tags: text the program sets arrives while
    // the focus is elsewhere.
    if (IsTagField(id)) {
        if (code == EN_CHANGE && control == GetFocus()) ApplyTagFields();
        return;
    }
    switch (id) {
        case IDB_BATCH:
            RunBatchWriter(IsDlgButtonChecked(dialog, IDX_DELETE_ORIGINALS) == BST_CHECKED);
            break;
        case IDL_FILES:
            if (code == LBN_SELCHANGE) TakeSelectionChange();
            break;
        case IDC_BITRATE:
        case IDC_MAX_BITRATE:
        case IDC_MODE:
            if (code == CBN_SELCHANGE) OptionCompositionStep();
            break;
        case IDC_QUALITY:
            VbrSwitchRule();
            if (code == CBN_SELCHANGE) OptionCompositionStep();
            break;
        case IDC_PRESET:
            PresetReaction();
            break;
        case IDB_NUMBER:
            NumberAllTracks();
            break;
        case IDB_ARTIST_PIECE:
            SuggestInto(dialog, IDE_ARTIST);
            break;
        case IDB_ALBUM_PIECE:
            SuggestInto(dialog, IDE_ALBUM);
            break;
        case IDB_TITLE_PIECE:
            SuggestInto(dialog, IDE_TITLE);
            break;
        case IDB_GENRE_MENU:
            if (ShowGenreMenu()) ApplyTagFields();
            break;
        case IDB_CHOOSE_LAME:
            ChooseLameExe(dialog);
            break;
        case IDB_REMOVE:
            RemoveSelectedTracks();
            break;
        case IDB_UP:
            MoveSelectionUp();
            break;
        case IDB_DOWN:
            MoveSelectionDown();
            break;
        case IDM_SELECT_ALL:
            SelectAllTracks();
            break;
        default:
            break;  // Escape (IDCANCEL), Alt+'/' and Alt+'?' (104), check boxes: nothing
    }
}

// The window moved to a display of another scale: laid out anew for it, its minimum and
// anchors taken again, then moved where the system suggests.
BOOL TakeNewDpi(HWND dialog, UINT dpi, const RECT* suggested) {
    g_minimumWidth = g_minimumHeight = 0;  // the old minimum would keep the window from shrinking
    ArrangeForDpi(dialog, dpi);
    RecordMinimumSize(dialog);
    RecordLayoutAnchors(dialog);
    if (suggested) MoveToSuggestedRect(dialog, *suggested, {g_minimumWidth, g_minimumHeight});
    return TRUE;
}

BOOL LimitTrackSize(MINMAXINFO* info) {
    if (g_minimumWidth == 0) return TRUE;
    info->ptMinTrackSize.x = g_minimumWidth;
    info->ptMinTrackSize.y = g_minimumHeight;
    return FALSE;
}
}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return InitializeMainDialog(dialog);
        case WM_COMMAND:
            RouteCommand(dialog, GET_WM_COMMAND_ID(wParam, lParam),
                         GET_WM_COMMAND_HWND(wParam, lParam), GET_WM_COMMAND_CMD(wParam, lParam));
            return FALSE;
        case WM_DROPFILES:
            TakeDroppedFiles(reinterpret_cast<HDROP>(wParam));
            return FALSE;
        case WM_DRAWITEM:
            if (wParam != IDL_FILES) return FALSE;
            return PaintTrackRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) LayOutDialog(dialog);
            return FALSE;
        case WM_DPICHANGED:
            return TakeNewDpi(dialog, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        case WM_GETMINMAXINFO:
            return LimitTrackSize(reinterpret_cast<MINMAXINFO*>(lParam));
        case WM_CLOSE:
            DestroyWindow(dialog);
            return FALSE;
        case WM_DESTROY:
            PostQuitMessage(0);
            return FALSE;
        default:
            return FALSE;
    }
}
