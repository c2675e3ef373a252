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
// A '%' written as it stands takes no argument, so that a message can hold
// "%lame_exe%" as plain text. A directive the C runtime knows but this one
// does not (%ls, %c, %x, %5d, ...) therefore consumes nothing, and every later
// directive reads the argument meant for it: Format(u"%c%s", u'x', u"a") reads
// the character as the text. No directive of ours may follow one of those in
// the same format.
int FormatText(char16_t* target, uint32_t limit, const char16_t* format, va_list arguments);
