// Free functions on raw NUL-terminated UTF-16 text.
#include "foundation/text.h"

#include "foundation/text_services.h"

namespace {

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

// True when needle (non-empty) occurs at text in full.
bool StartsWith(const char16_t* text, const char16_t* needle) {
    for (; *needle; ++text, ++needle)
        if (*text != *needle) return false;
    return true;
}

}  // namespace

uint32_t TextLength(const char16_t* text) {
    if (!text) return 0;
    const char16_t* end = text;
    while (*end) ++end;
    return static_cast<uint32_t>(end - text);
}

int CompareText(const char16_t* a, const char16_t* b) {
    if (!a) a = u"";
    if (!b) b = u"";
    for (;; ++a, ++b) {
        if (*a != *b) return *a < *b ? -1 : 1;
        if (!*a) return 0;
    }
}

int CompareNoCase(const char16_t* a, const char16_t* b) {
    if (!a) return b ? -1 : 0;
    if (!b) return 1;
    for (;; ++a, ++b) {
        const char16_t upperA = UpperUnit(*a);
        const char16_t upperB = UpperUnit(*b);
        if (upperA != upperB || !*a || !*b) return int(upperA) - int(upperB);
    }
}

char16_t* TrimBlanks(char16_t* text) {
    if (!text || !*text) return text;
    uint32_t end = TextLength(text);
    while (end > 0 && IsBlank(text[end - 1])) --end;
    text[end] = 0;
    const char16_t* start = text;
    while (IsBlank(*start)) ++start;
    if (start != text) CopyText(text, start);
    return text;
}

const char16_t* FindText(const char16_t* text, const char16_t* needle) {
    if (!text) return nullptr;
    if (!needle || !*needle) return text;
    for (; *text; ++text)
        if (*text == *needle && StartsWith(text, needle)) return text;
    return nullptr;
}

int32_t FindTextFrom(const char16_t* text, uint32_t start, const char16_t* needle) {
    if (!text) return -1;
    // start must lie inside the text; only the units up to it are walked, not the whole
    // text, so a search near the start of a long text stays short.
    for (uint32_t i = 0; i <= start; ++i)
        if (!text[i]) return -1;
    const char16_t* found = FindText(text + start, needle);
    return found ? static_cast<int32_t>(found - text) : -1;
}

const char16_t* FindChar(const char16_t* text, char16_t unit) {
    if (!text) return nullptr;
    for (;; ++text) {
        if (*text == unit) return text;
        if (!*text) return nullptr;
    }
}

uint32_t CountOccurrences(const char16_t* text, const char16_t* needle) {
    if (!text || !*text || !needle || !*needle) return 0;
    const uint32_t needleLength = TextLength(needle);
    uint32_t count = 0;
    for (const char16_t* found = FindText(text, needle); found;
         found = FindText(found + needleLength, needle))
        ++count;
    return count;
}

char16_t* CopyText(char16_t* target, const char16_t* source) {
    if (!target) return target;
    if (!source) {
        *target = 0;
        return target;
    }
    char16_t* out = target;
    while ((*out++ = *source++) != 0) {
    }
    return target;
}

void CopyTextN(char16_t* target, const char16_t* source, uint32_t n) {
    if (!target || n == 0) return;
    if (!source) {
        *target = 0;
        return;
    }
    for (uint32_t i = 0; i < n; ++i) {
        target[i] = source[i];
        if (!source[i]) {
            target[n - 1] = 0;
            return;
        }
    }
}
