// The three platform text services the core needs. Two implementations, picked
// at build time: the real Win32 calls (win/text_services_win.cpp) and a portable
// one (code page 1252 as the ANSI code page, text_services_portable.cpp).
#pragma once
#include <cstdint>

// Upper case of one UTF-16 unit (CharUpperW, single-character form).
char16_t UpperUnit(char16_t unit);
// Upper case of one byte in the ANSI code page (CharUpperA, single-character form).
unsigned char UpperAnsiByte(unsigned char byte);
// ANSI code page to UTF-16 (MultiByteToWideChar(CP_ACP, 0, ...)). Returns units written.
int AnsiToWide(const char* source, int sourceBytes, char16_t* target, int targetUnits);
