// The platform text services through the real Win32 calls.
#include <windows.h>

#include "foundation/text_services.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

namespace {

const wchar_t* AsWideText(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
wchar_t* AsWideText(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}

}  // namespace

// CharUpperW/CharUpperA take a single character in the low word of the
// pointer argument (high word zero) and return it the same way.
char16_t UpperUnit(char16_t unit) {
    return static_cast<char16_t>(reinterpret_cast<ULONG_PTR>(
        CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(unit)))));
}

unsigned char UpperAnsiByte(unsigned char byte) {
    return static_cast<unsigned char>(reinterpret_cast<ULONG_PTR>(
        CharUpperA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(byte)))));
}

int AnsiToWide(const char* source, int sourceBytes, char16_t* target, int targetUnits) {
    return MultiByteToWideChar(CP_ACP, 0, source, sourceBytes, AsWideText(target), targetUnits);
}

int WideToUtf8(const char16_t* source, int sourceUnits, char* target, int targetBytes) {
    return WideCharToMultiByte(CP_UTF8, 0, AsWideText(source), sourceUnits, target, targetBytes,
                               nullptr, nullptr);
}
