// WideString: reference-counted UTF-16 text, copied on write.
#include "foundation/wide_string.h"

#include <cstdlib>
#include <new>

#include "foundation/format_text.h"
#include "foundation/shared_buffer.h"

const char16_t kEmptyText[1] = {0};

WideString::WideString(const WideString& other) : record_(other.record_) {
    if (record_) ++record_->referenceCount;
}

WideString& WideString::operator=(const WideString& other) {
    return Assign(&other);
}

WideString::~WideString() {
    Release();
}

void WideString::Release() {
    shared_buffer::Release(record_);
}

bool WideString::Reserve(uint32_t neededUnits) {
    return record_ && shared_buffer::Reserve(record_, neededUnits);
}

const char16_t* WideString::Text() const {
    if (!record_ || !record_->characters || !record_->characters[0]) return kEmptyText;
    return record_->characters;
}

char16_t* WideString::Buffer() {
    return record_ ? record_->characters : nullptr;
}

uint32_t WideString::Length() const {
    return TextLength(Text());
}

bool WideString::IsEmpty() const {
    return Text()[0] == 0;
}

WideString& WideString::Assign(const WideString* source) {
    if (source == this) return *this;
    // Taking the source's record first keeps it alive when it is also ours.
    WideStringRecord* shared = source ? source->record_ : nullptr;
    if (shared) ++shared->referenceCount;
    Release();
    record_ = shared;
    return *this;
}

WideString& WideString::AssignText(const char16_t* text, uint32_t count) {
    if (!text || !*text || count == 0) {
        Clear();
        return *this;
    }
    uint32_t length = 0;
    while (length < count && text[length]) ++length;
    // A text from this string's own block stays alive in the old record while
    // the new one is filled (a shared record is never reused).
    WideString keep;
    if (record_ && record_->characters && text >= record_->characters &&
        text < record_->characters + record_->capacity)
        keep.Assign(this);
    if (!PrepareBuffer(length)) return *this;
    CopyTextN(record_->characters, text, length);
    record_->characters[length] = 0;
    return *this;
}

void WideString::Clear() {
    Release();
}

WideString& WideString::Append(const char16_t* text) {
    if (!text || !*text) return *this;
    if (!record_ || !record_->characters) return AssignText(text);
    const uint32_t length1 = Length();
    const uint32_t length2 = TextLength(text);
    if (length2 >= UINT32_MAX - length1) return *this;
    WideString joined;
    if (!joined.PrepareBuffer(length1 + length2)) return *this;
    CopyText(joined.record_->characters, Text());
    CopyTextN(joined.record_->characters + length1, text, length2);
    joined.record_->characters[length1 + length2] = 0;
    return Assign(&joined);
}

WideString& WideString::Append(const WideString& other) {
    if (IsEmpty()) return &other == this ? *this : Assign(&other);
    return Append(other.Text());
}

WideString& WideString::Prepend(const char16_t* text) {
    if (!text || !*text) return *this;
    if (IsEmpty()) return Append(text);
    const uint32_t length1 = TextLength(text);
    const uint32_t length2 = Length();
    if (length2 >= UINT32_MAX - length1) return *this;
    WideString joined;
    if (!joined.PrepareBuffer(length1 + length2)) return *this;
    CopyTextN(joined.record_->characters, text, length1);
    CopyText(joined.record_->characters + length1, Text());
    return Assign(&joined);
}

WideString WideString::ReplaceAll(const char16_t* find, const char16_t* replacement) const {
    WideString result;
    if (!find || !*find || !replacement) return result.Assign(this);
    const char16_t* source = Text();
    const uint64_t count = CountOccurrences(source, find);
    if (count == 0) return result.Assign(this);
    const uint32_t findLength = TextLength(find);
    const uint32_t replacementLength = TextLength(replacement);
    const int64_t finalLength =
        int64_t(Length()) + (int64_t(replacementLength) - int64_t(findLength)) * int64_t(count);
    if (finalLength >= int64_t(UINT32_MAX) ||
        !result.PrepareBuffer(static_cast<uint32_t>(finalLength)))
        return result.Assign(this);

    // Each search starts behind the last match, so the walk stays linear in the text.
    char16_t* out = result.record_->characters;
    const char16_t* reading = source;
    for (const char16_t* match = FindText(reading, find); match; match = FindText(reading, find)) {
        const uint32_t before = static_cast<uint32_t>(match - reading);
        CopyTextN(out, reading, before);
        out += before;
        CopyTextN(out, replacement, replacementLength);
        out += replacementLength;
        reading = match + findLength;
    }
    CopyText(out, reading);
    return result;
}

WideString& WideString::Format(const char16_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    FormatList(format, arguments);
    va_end(arguments);
    return *this;
}

WideString& WideString::FormatList(const char16_t* format, va_list arguments) {
    // The old text is dropped, but kept alive until the end: an argument may
    // point into it.
    WideString old;
    old.record_ = record_;
    record_ = nullptr;
    uint32_t size = 2048;
    auto* scratch = static_cast<char16_t*>(std::malloc(size * sizeof(char16_t)));
    if (!scratch) return *this;
    uint32_t written;
    for (;;) {
        va_list attempt;
        va_copy(attempt, arguments);
        const int result = FormatText(scratch, size - 1, format, attempt);
        va_end(attempt);
        if (result >= 0) {
            written = static_cast<uint32_t>(result);
            scratch[written] = 0;
            break;
        }
        // Too long: retry in a doubled block; without one the output stays cut.
        auto* larger = size <= INT32_MAX / 2
                           ? static_cast<char16_t*>(
                                 std::malloc(shared_buffer::BlockBytes<char16_t>(size * 2ull)))
                           : nullptr;
        if (!larger) {
            scratch[size - 1] = 0;
            written = size;
            break;
        }
        std::free(scratch);
        scratch = larger;
        size *= 2;
    }
    // A well-used scratch block becomes the string's own, saving a copy.
    if (written >= (size / 10) * 8) {
        record_ = new (std::nothrow) WideStringRecord{scratch, size, 1};
        if (record_) return *this;
    }
    if (scratch[0]) AssignText(scratch);
    std::free(scratch);
    return *this;
}

bool WideString::PrepareBuffer(uint32_t units) {
    return shared_buffer::PrepareBuffer(record_, units);
}

void WideString::MakeUnique() {
    shared_buffer::MakeUnique(record_);
}

void WideString::Truncate(uint32_t index) {
    shared_buffer::Truncate(record_, index);
}

void WideString::TrimRight() {
    const uint32_t length = Length();
    if (length == 0) return;
    const char16_t last = Text()[length - 1];
    if (last != u' ' && last != u'\t') return;
    MakeUnique();
    if (!record_ || !record_->characters) return;
    char16_t* text = record_->characters;
    uint32_t end = length;
    while (end > 0 && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;
    text[end] = 0;
}

int32_t WideString::FindLastChar(char16_t unit) const {
    if (unit == 0) return static_cast<int32_t>(Length());
    const char16_t* found = FindLastCharPointer(unit);
    return found ? static_cast<int32_t>(found - Text()) : -1;
}

const char16_t* WideString::FindLastCharPointer(char16_t unit) const {
    if (record_ && !record_->characters) return nullptr;
    const char16_t* text = Text();
    const uint32_t length = TextLength(text);
    if (unit == 0) return text + length;
    for (uint32_t i = length; i > 0; --i)
        if (text[i - 1] == unit) return text + i - 1;
    return nullptr;
}
