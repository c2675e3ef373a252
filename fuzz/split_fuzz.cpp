// StringList::Split on any text and separator: the pieces are those between the separators,
// trimmed, with empty ones skipped except the last; none holds the separator.
#include <string>
#include <vector>

#include "foundation/string_list.h"
#include "fuzz_support.h"
#include "launcher_decoder.h"

namespace {

constexpr const char* kTarget = "split";

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

void CheckSplit(StringList& list, const std::u16string& text, const std::u16string& separator) {
    const std::u16string before = text;
    const uint32_t count = list.Split(text.c_str(), separator.c_str());
    auto where = [&] { return "text '" + Printable(text) + "' at '" + Printable(separator) + "'"; };
    FUZZ_CHECK(kTarget, text == before, where());
    FUZZ_CHECK(kTarget, count == list.Count(), where());
    const std::vector<std::u16string> expected = SplitPieces(text, separator);
    FUZZ_CHECK(kTarget, count == expected.size(),
               where() + ": " + std::to_string(count) + " pieces, expected " +
                   std::to_string(expected.size()));
    for (uint32_t i = 0; i < count; ++i) {
        const std::u16string piece = Str(*list.GetAt(i));
        auto at = [&] {
            return where() + ", piece " + std::to_string(i) + " '" + Printable(piece) + "'";
        };
        FUZZ_CHECK(kTarget, piece == expected[i],
                   at() + ", expected '" + Printable(expected[i]) + "'");
        FUZZ_CHECK(kTarget, piece.empty() || (!IsBlank(piece.front()) && !IsBlank(piece.back())),
                   at());
        FUZZ_CHECK(kTarget, piece.find(separator) == std::u16string::npos, at());
        FUZZ_CHECK(kTarget, text.find(piece) != std::u16string::npos, at());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The separator, a NUL byte, then the text.
    const std::vector<std::string> fields = SplitFields(data, size, 2);
    auto decode = [](const std::string& field) {
        return DecodeLenient(reinterpret_cast<const uint8_t*>(field.data()), field.size());
    };
    const std::u16string separator = decode(fields[0]);
    const std::u16string text = UpToNul(decode(fields[1]));
    StringList list;
    CheckSplit(list, text, separator);
    // The same list again, at backslashes: the old pieces go first.
    CheckSplit(list, text, u"\\");
    return 0;
}
