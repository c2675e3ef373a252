// The foundation's platform text services through the real Win32 calls.
#include <windows.h>

#include "foundation/text_services.h"
#include "win/utf16_cast.h"

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
    return MultiByteToWideChar(CP_ACP, 0, source, sourceBytes, AsWide(target), targetUnits);
}
