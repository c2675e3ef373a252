// A small bounded printf for UTF-16 text, the same on every platform (the C
// runtime's wide printf differs: wchar_t is 32-bit on Linux, and MinGW's %s
// may mean a narrow text).
#pragma once
#include <cstdarg>
#include <cstdint>

// Directives: %s (const char16_t*, null prints "(null)"), %d, %ld, %u, %lu and
// %%; anything else after '%' is written as it stands. Writes at most limit
// units and no terminator. Returns the units written, or -1 when the output
// did not fit (limit units are written then).
int FormatText(char16_t* target, uint32_t limit, const char16_t* format, va_list arguments);
