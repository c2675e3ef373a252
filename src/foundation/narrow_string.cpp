// NarrowString: reference-counted 8-bit text, copied on write.
#include "foundation/narrow_string.h"

#include "foundation/shared_buffer.h"
#include "foundation/text_services.h"
#include "foundation/wide_string.h"

namespace {

// The one shared empty text, read as a zero byte.
const char* EmptyNarrowText() {
    return reinterpret_cast<const char*>(kEmptyText);
}

uint32_t ByteLength(const char* text) {
    uint32_t length = 0;
    while (text[length]) ++length;
    return length;
}

}  // namespace

NarrowString::NarrowString(const NarrowString& other) : record_(other.record_) {
    if (record_) ++record_->referenceCount;
}

NarrowString& NarrowString::operator=(const NarrowString& other) {
    return Assign(&other);
}

NarrowString::~NarrowString() {
    Release();
}

void NarrowString::Release() {
    shared_buffer::Release(record_);
}

bool NarrowString::Reserve(uint32_t neededBytes) {
    return record_ && shared_buffer::Reserve(record_, neededBytes);
}

const char* NarrowString::Text() const {
    if (!record_ || !record_->characters || !record_->characters[0]) return EmptyNarrowText();
    return record_->characters;
}

char* NarrowString::Buffer() {
    return record_ ? record_->characters : nullptr;
}

uint32_t NarrowString::Length() const {
    return ByteLength(Text());
}

bool NarrowString::IsEmpty() const {
    return Text()[0] == 0;
}

NarrowString& NarrowString::Assign(const NarrowString* source) {
    if (source == this) return *this;
    NarrowStringRecord* shared = source ? source->record_ : nullptr;
    if (shared) ++shared->referenceCount;
    Release();
    record_ = shared;
    return *this;
}

void NarrowString::Clear() {
    Release();
}

bool NarrowString::PrepareBuffer(uint32_t bytes) {
    return shared_buffer::PrepareBuffer(record_, bytes);
}

void NarrowString::MakeUnique() {
    shared_buffer::MakeUnique(record_);
}

void NarrowString::Truncate(uint32_t index) {
    shared_buffer::Truncate(record_, index);
}

int32_t NarrowString::Find(const char* needle) const {
    if (IsEmpty()) return -1;
    if (!needle || !*needle) return 0;
    const char* text = Text();
    for (const char* at = text; *at; ++at) {
        if (*at != *needle) continue;
        uint32_t i = 1;
        while (needle[i] && at[i] == needle[i]) ++i;
        if (!needle[i]) return static_cast<int32_t>(at - text);
    }
    return -1;
}

namespace {
// The code page's upper case of every byte, asked once: the system call costs far more
// than the comparison (under Wine about 180 ns a byte, seconds for a large file).
struct UpperByteTable {
    unsigned char upper[256];
    UpperByteTable() {
        for (int byte = 0; byte < 256; ++byte)
            upper[byte] = UpperAnsiByte(static_cast<unsigned char>(byte));
    }
};
}  // namespace

int32_t NarrowString::FindNoCase(const char* needle) const {
    if (IsEmpty()) return -1;
    if (!needle || !*needle) return 0;
    static const UpperByteTable table;
    const unsigned char* upper = table.upper;
    const auto* text = reinterpret_cast<const unsigned char*>(Text());
    const auto* upperNeedle = reinterpret_cast<const unsigned char*>(needle);
    const unsigned char first = upper[upperNeedle[0]];
    for (const unsigned char* at = text; *at; ++at) {
        if (upper[*at] != first) continue;
        uint32_t i = 1;
        while (upperNeedle[i] && at[i] && upper[at[i]] == upper[upperNeedle[i]]) ++i;
        if (!upperNeedle[i]) return static_cast<int32_t>(at - text);
    }
    return -1;
}
