// Shared pieces of the fuzz targets: turning raw input into text and fields, a strict
// UTF-8 reader, and the check that stops a run when a property fails.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/narrow_string.h"
#include "foundation/wide_string.h"

// Stops the run with a message; libFuzzer keeps the input that got here.
[[noreturn]] void FailProperty(const char* target, const char* what, const std::string& detail);

#define FUZZ_CHECK(target, condition, detail)                       \
    do {                                                            \
        if (!(condition)) FailProperty(target, #condition, detail); \
    } while (0)

// Bytes read as UTF-8 where they form it; an encoded surrogate gives that lone unit, and any
// other byte gives the unit of the same value. Seeds stay readable, and every unit but NUL
// can still be reached.
std::u16string DecodeLenient(const uint8_t* data, size_t size);

// Bytes taken pairwise as UTF-16 little-endian units; an odd last byte is dropped.
std::u16string DecodeUtf16Le(const uint8_t* data, size_t size);

// The input cut at NUL bytes into at most count fields; the last field takes the rest,
// NUL bytes included. Missing fields are empty.
std::vector<std::string> SplitFields(const uint8_t* data, size_t size, size_t count);

// Strict UTF-8 to code points: false on any ill-formed sequence (overlong forms, encoded
// surrogates, values above U+10FFFF, truncated sequences).
bool DecodeUtf8Strict(const std::string& bytes, std::u32string& codePoints);

// The code points of UTF-16 text, each lone surrogate read as U+FFFD.
std::u32string CodePointsReplacingLoneSurrogates(const std::u16string& text);

// Whether the text holds a surrogate that is not part of a pair.
bool HasLoneSurrogate(const std::u16string& text);

// The text up to its first NUL unit, as a NUL-terminated reader sees it.
std::u16string UpToNul(const std::u16string& text);

std::u16string Str(const WideString& text);
std::string Str(const NarrowString& text);

// The pieces that Split is to give: the text between non-overlapping separators, trimmed of
// blanks and tabs; empty pieces skipped except the last. Nothing for an empty text or
// separator.
std::vector<std::u16string> SplitPieces(const std::u16string& text,
                                        const std::u16string& separator);

// Every non-overlapping occurrence of find, from left to right, replaced; the inserted
// text is not searched again.
std::u16string ReplaceEvery(const std::u16string& text, const std::u16string& find,
                            const std::u16string& replacement);
