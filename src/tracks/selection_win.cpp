#include "tracks/selection_win.h"

#include <new>

int RefreshSelectedIndices(DialogState& state) {
    HWND list = state.controls.files;
    SelectedRows& selection = state.selection;
    const LRESULT selected = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    const uint32_t n = selected > 0 ? static_cast<uint32_t>(selected) : 0;
    // The storage is replaced only when the number of selected rows changes.
    if (n != selection.count) {
        delete[] selection.rows;
        selection.rows = nullptr;
        selection.count = 0;
        if (n > 0) {
            selection.rows = new (std::nothrow) int[n];
            if (selection.rows != nullptr) selection.count = n;
        }
    }
    if (selection.count == 0) return 0;
    SendMessageW(list, LB_GETSELITEMS, selection.count, reinterpret_cast<LPARAM>(selection.rows));
    return static_cast<int>(selection.count);
}

int FirstSelectedRow(const DialogState& state) {
    int first = -1;
    LRESULT found =
        SendMessageW(state.controls.files, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&first));
    return found > 0 ? first : -1;
}
