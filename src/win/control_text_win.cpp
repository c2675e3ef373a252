#include "win/control_text_win.h"

#include "foundation/text.h"
#include "win/utf16_cast.h"

uint32_t ReadField(HWND control, WideString& text) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0 || !text.PrepareBuffer(static_cast<uint32_t>(length))) {
        text.Clear();
        return length > 0 ? static_cast<uint32_t>(length) : 0;
    }
    GetWindowTextW(control, AsWide(text.Buffer()), length + 1);
    TrimBlanks(text.Buffer());
    return static_cast<uint32_t>(length);
}

bool IsChecked(HWND box) {
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

WideString ReadWindowText(HWND window) {
    WideString text;
    const int length = GetWindowTextLengthW(window);
    if (length > 0 && text.PrepareBuffer(static_cast<uint32_t>(length))) {
        const int copied = GetWindowTextW(window, AsWide(text.Buffer()), length + 1);
        text.Truncate(copied > 0 ? static_cast<uint32_t>(copied) : 0);
    }
    return text;
}
