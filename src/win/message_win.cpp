#include "win/message_win.h"

#include "win/utf16_cast.h"

int ShowMessage(HWND owner, const char16_t* text, UINT buttons) {
    return MessageBoxW(owner, AsWide(text), L"Tonschleuder", buttons);
}
