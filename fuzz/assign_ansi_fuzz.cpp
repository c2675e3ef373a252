// WideString::AssignAnsi on any bytes: one unit per byte up to the first NUL, ASCII and
// Latin-1 bytes unchanged, an allocated block sized by the reserve rule, a shared old text
// left to its other holder, and a loss-free way on to UTF-8.
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "launcher_decoder.h"

namespace {

constexpr const char* kTarget = "assign_ansi";

// The reserve rule: a unique block is kept when it is large enough and the need is more than
// four fifths of it; otherwise the block holds exactly (units + 1) | 7.
uint32_t ExpectedCapacity(uint32_t oldCapacity, bool unique, uint32_t units) {
    const uint32_t needed = (units + 1) | 7;
    if (unique && oldCapacity >= needed && (oldCapacity / 10) * 8 < needed) return oldCapacity;
    return needed;
}

template <class Where>
void CheckUnits(const std::string& bytes, const std::u16string& text, const Where& where) {
    FUZZ_CHECK(kTarget, text.size() == bytes.size(),
               where() + ": " + std::to_string(text.size()) + " units");
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const char16_t unit = text[i];
        auto at = [&] { return where() + ", byte " + std::to_string(byte); };
        if (byte < 0x80 || byte >= 0xA0)
            FUZZ_CHECK(kTarget, unit == byte, at());
        else
            FUZZ_CHECK(kTarget, unit >= 0x80 && (unit < 0xD800 || unit > 0xDFFF), at());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // A byte that picks the target's old state and length, then the 8-bit text (ending at a
    // NUL byte).
    const uint8_t oldState = data[0] % 3;
    const size_t oldLength = 1 + data[0] / 3;
    const std::string raw(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string bytes = raw.substr(0, raw.find('\0'));
    auto where = [&] {
        return "bytes '" +
               Printable(
                   DecodeLenient(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) +
               "'";
    };

    WideString other, target;
    // 0: a null string; 1: a unique old text; 2: an old text shared with another string.
    if (oldState > 0) target.AssignText(std::u16string(oldLength, u'o').c_str());
    if (oldState == 2) other.Assign(target);
    const std::u16string otherText = Str(other);
    const WideStringRecord* otherRecord = other.Record();
    const bool unique = oldState == 1;
    const uint32_t oldCapacity = target.Capacity();

    target.AssignAnsi(raw.c_str());
    const std::u16string text = Str(target);
    CheckUnits(bytes, text, where);
    FUZZ_CHECK(kTarget, target.Record() != nullptr, where() + ": no record");
    const uint32_t capacity =
        ExpectedCapacity(oldCapacity, unique, static_cast<uint32_t>(bytes.size()));
    FUZZ_CHECK(kTarget, target.Capacity() == capacity,
               where() + ": capacity " + std::to_string(target.Capacity()) + ", expected " +
                   std::to_string(capacity));
    FUZZ_CHECK(kTarget, target.Record()->referenceCount == 1, where());
    FUZZ_CHECK(kTarget, other.Record() == otherRecord && Str(other) == otherText,
               where() + ": the other holder's text changed");

    // Nothing the ANSI code page gives is lost on the way to UTF-8.
    std::u32string codePoints;
    FUZZ_CHECK(kTarget, DecodeUtf8Strict(Str(target.ToUtf8()), codePoints), where());
    FUZZ_CHECK(kTarget, codePoints == CodePointsReplacingLoneSurrogates(text), where());
    return 0;
}
