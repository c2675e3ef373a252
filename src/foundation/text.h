// Free functions on raw NUL-terminated UTF-16 text. Null pointers read as empty text.
#pragma once
#include <cstdint>

uint32_t TextLength(const char16_t* text);
// Ordinal comparison: -1, 0 or 1.
int CompareText(const char16_t* a, const char16_t* b);
// Per-unit upper-cased comparison; 0 when equal, negative when a sorts first.
int CompareNoCase(const char16_t* a, const char16_t* b);
// Removes trailing, then leading blanks and tabs in place; returns text.
char16_t* TrimBlanks(char16_t* text);
const char16_t* FindText(const char16_t* text, const char16_t* needle);
int32_t FindTextFrom(const char16_t* text, uint32_t start, const char16_t* needle);
const char16_t* FindChar(const char16_t* text, char16_t unit);
uint32_t CountOccurrences(const char16_t* text, const char16_t* needle);
char16_t* CopyText(char16_t* target, const char16_t* source);
void CopyTextN(char16_t* target, const char16_t* source, uint32_t n);
