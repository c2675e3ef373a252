// The whole text of a window or control, however long.
#pragma once
#include <windows.h>

#include <string>

inline std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(length > 0 ? length : 0, u'\0');
    if (length > 0) {
        const int got = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
        text.resize(got > 0 ? got : 0);
    }
    return text;
}
