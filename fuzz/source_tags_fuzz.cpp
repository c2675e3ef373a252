// Tags of a file that anyone may have written, read through TagLib (itself built with the
// fuzzer's coverage for this target): never a crash, a hang or a leak, and whatever comes back
// is a value the dialog and the encoder's command line can take: no control characters, no
// blanks at either end, no longer than the cap, a year of four digits where the text has them.
#include <string>

#include "fuzz_support.h"
#include "launcher_decoder.h"
#include "tracks/source_tags.h"

namespace {

constexpr const char* kTarget = "source_tags";

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

bool HasFourDigits(const std::u16string& text) {
    int run = 0;
    for (char16_t unit : text) {
        run = unit >= u'0' && unit <= u'9' ? run + 1 : 0;
        if (run == 4) return true;
    }
    return false;
}

void CheckValue(const std::u16string& value, int field) {
    const std::string where = "field " + std::to_string(field) + " '" + Printable(value) + "'";
    FUZZ_CHECK(kTarget, value.size() <= kSourceTagMaxLength, where);
    if (value.empty()) return;
    FUZZ_CHECK(kTarget, !IsBlank(value.front()) && !IsBlank(value.back()), where);
    for (char16_t unit : value) FUZZ_CHECK(kTarget, unit >= u' ', where);
    if (field == kYear && HasFourDigits(value)) FUZZ_CHECK(kTarget, value.size() == 4, where);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SourceTags tags;
    const bool read = ReadSourceTagsFromMemory(data, size, tags);
    FUZZ_CHECK(kTarget, tags.fields[kPath].IsEmpty(), "a path from a tag");
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        const std::u16string value = Str(tags.fields[field]);
        if (!read) FUZZ_CHECK(kTarget, value.empty(), "a value from an unread file");
        CheckValue(value, field);
    }
    return 0;
}
