// Showing the pop-up menus of the "<" buttons and reading back the chosen text.
#include "tracks/popup_menu_win.h"

#include "win/utf16_cast.h"

UINT TrackMenuAtMessagePos(HWND owner, HMENU menu) {
    const DWORD position = GetMessagePos();
    // Screen coordinates are signed: a monitor left of or above the primary one.
    const int x = static_cast<short>(LOWORD(position));
    const int y = static_cast<short>(HIWORD(position));
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD, x, y, 0, owner, nullptr);
    return chosen > 0 ? static_cast<UINT>(chosen) : 0;
}

WideString MenuItemText(HMENU menu, UINT id) {
    WideString text;
    // Asked for its length first, so no item text is ever cut.
    const int length = GetMenuStringW(menu, id, nullptr, 0, MF_BYCOMMAND);
    if (length <= 0 || !text.PrepareBuffer(static_cast<uint32_t>(length))) return text;
    const int got = GetMenuStringW(menu, id, AsWide(text.Buffer()), length + 1, MF_BYCOMMAND);
    text.Truncate(got > 0 ? static_cast<uint32_t>(got) : 0);
    return text;
}
