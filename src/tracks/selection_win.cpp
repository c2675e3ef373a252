#include "tracks/selection_win.h"

#include <new>
#include "app/shell_win.h"
#include "resources/control_ids.h"
#include "tracks/tag_editing_win.h"

namespace {
// Kept between refreshes; replaced only when the number of selected rows changes.
int* g_indices = nullptr;
uint32_t g_count = 0;
}  // namespace

const int* SelectedIndices() {
    return g_indices;
}
uint32_t SelectedIndexCount() {
    return g_count;
}

void ForgetSelectedIndices() {
    delete[] g_indices;
    g_indices = nullptr;
    g_count = 0;
}

int RefreshSelectedIndices() {
    HWND list = GetDlgItem(MainWindow(), IDL_FILES);
    const LRESULT selected = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    const uint32_t n = selected > 0 ? static_cast<uint32_t>(selected) : 0;
    if (n != g_count) {
        ForgetSelectedIndices();
        if (n > 0) {
            g_indices = new (std::nothrow) int[n];
            if (g_indices != nullptr) g_count = n;
        }
    }
    if (g_count == 0) return 0;
    SendMessageW(list, LB_GETSELITEMS, g_count, reinterpret_cast<LPARAM>(g_indices));
    return static_cast<int>(g_count);
}
