#include "sources/source_tags.h"

namespace {
const char16_t kEntrySeparator[] = u"; ";

bool IsDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}
}  // namespace

void AddTagEntry(WideString& value, const char16_t* text, uint32_t length) {
    if (text == nullptr || length == 0) return;
    if (length > kSourceTagMaxLength) length = kSourceTagMaxLength;
    WideString entry;
    if (!entry.PrepareBuffer(length)) return;
    char16_t* units = entry.Buffer();
    uint32_t kept = 0;
    for (uint32_t i = 0; i < length && text[i] != u'\0'; ++i) {
        units[kept++] = text[i] < u' ' ? u' ' : text[i];
    }
    entry.Truncate(kept);
    TrimBlanks(entry.Buffer());
    entry.Truncate(TextLength(entry.Text()));
    if (entry.IsEmpty()) return;
    // The separator counts toward the cap as well.
    const uint32_t separator = value.IsEmpty() ? 0 : TextLength(kEntrySeparator);
    if (value.Length() + separator + entry.Length() > kSourceTagMaxLength) return;
    if (separator != 0) value.Append(kEntrySeparator);
    value.Append(entry);
}

void KeepYearOfDate(WideString& value) {
    const char16_t* text = value.Text();
    const uint32_t length = value.Length();
    for (uint32_t start = 0; start + 4 <= length; ++start) {
        if (IsDigit(text[start]) && IsDigit(text[start + 1]) && IsDigit(text[start + 2]) &&
            IsDigit(text[start + 3])) {
            WideString year;
            year.AssignText(text + start, 4);
            value = year;
            return;
        }
    }
}

int GenreNumberOf(const WideString& value) {
    const char16_t* text = value.Text();
    uint32_t start = 0;
    uint32_t end = value.Length();
    while (start < end && (text[start] == u' ' || text[start] == u'\t')) ++start;
    while (end > start && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;
    if (end - start >= 2 && text[start] == u'(' && text[end - 1] == u')') {
        ++start;
        --end;
    }
    if (start == end || end - start > 3) return -1;
    int number = 0;
    for (uint32_t i = start; i < end; ++i) {
        if (!IsDigit(text[i])) return -1;
        number = number * 10 + (text[i] - u'0');
    }
    return number;
}
