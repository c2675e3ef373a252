// WideString::ToUtf8 on any UTF-16 units: well-formed UTF-8 of the same code points (a lone
// surrogate as U+FFFD), its byte count as Length, the block sized for the count and the
// terminator, and the source left as it was.
#include <string>

#include "fuzz_support.h"
#include "launcher_decoder.h"

namespace {

constexpr const char* kTarget = "to_utf8";

size_t Utf8Length(const std::u32string& codePoints) {
    size_t bytes = 0;
    for (char32_t code : codePoints)
        bytes += code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // UTF-16 little-endian units, the text ending at the first NUL unit.
    const std::u16string text = UpToNul(DecodeUtf16Le(data, size));
    WideString source;
    source.AssignText(text.c_str());
    const WideString holder = source;  // a second holder: the conversion must not write
    const WideStringRecord* record = source.Record();

    const NarrowString utf8 = source.ToUtf8();
    const std::string bytes = Str(utf8);
    auto where = [&] { return "text '" + Printable(text.substr(0, 200)) + "'"; };
    FUZZ_CHECK(kTarget, source.Record() == record && Str(source) == text, where());
    FUZZ_CHECK(kTarget, Str(holder) == text, where());

    const std::u32string expected = CodePointsReplacingLoneSurrogates(text);
    std::u32string codePoints;
    FUZZ_CHECK(kTarget, DecodeUtf8Strict(bytes, codePoints), where() + ": ill-formed UTF-8");
    FUZZ_CHECK(kTarget, codePoints == expected, where() + ": other code points");
    FUZZ_CHECK(kTarget, utf8.Length() == Utf8Length(expected),
               where() + ": Length " + std::to_string(utf8.Length()));
    // Sized for the byte count with its terminator, plus one more.
    FUZZ_CHECK(kTarget, utf8.Record() != nullptr && utf8.Capacity() == ((utf8.Length() + 2) | 7),
               where() + ": capacity " + std::to_string(utf8.Capacity()));
    return 0;
}
