// WideString::Format with any format text and arguments of the four directive kinds: the
// output is the text with each directive replaced by its argument, also when an argument is
// the string's own old text; long output grows the block, and the block is adopted or copied
// by the size rule.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launcher_decoder.h"

namespace {

constexpr const char* kTarget = "format";

enum class Kind { kText, kInt, kLong, kUnsigned, kUnsignedLong };
constexpr int kSlots = 4;
// The argument lists that Format is called with; a directive takes the next slot's kind.
constexpr Kind kShapes[4][kSlots] = {
    {Kind::kText, Kind::kInt, Kind::kUnsigned, Kind::kText},
    {Kind::kInt, Kind::kText, Kind::kLong, Kind::kUnsignedLong},
    {Kind::kText, Kind::kText, Kind::kText, Kind::kText},
    {Kind::kUnsignedLong, Kind::kLong, Kind::kText, Kind::kInt},
};

struct Argument {
    std::u16string text;
    unsigned long long bits = 0;
};

const char16_t* Directive(Kind kind) {
    switch (kind) {
        case Kind::kText:
            return u"%s";
        case Kind::kInt:
            return u"%d";
        case Kind::kLong:
            return u"%ld";
        case Kind::kUnsigned:
            return u"%u";
        case Kind::kUnsignedLong:
            return u"%lu";
    }
    return u"";
}

std::u16string Widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string Expected(Kind kind, const Argument& argument) {
    switch (kind) {
        case Kind::kText:
            return argument.text;
        case Kind::kInt:
            return Widen(std::to_string(static_cast<int>(argument.bits)));
        case Kind::kLong:
            return Widen(std::to_string(static_cast<long>(argument.bits)));
        case Kind::kUnsigned:
            return Widen(std::to_string(static_cast<unsigned>(argument.bits)));
        case Kind::kUnsignedLong:
            return Widen(std::to_string(static_cast<unsigned long>(argument.bits)));
    }
    return u"";
}

bool IsDirectiveLetter(char16_t unit) {
    return unit == u's' || unit == u'd' || unit == u'u' || unit == u'l';
}

// Makes every directive of the raw text match the next slot ("%%" once the slots are used
// up) and builds the output expected from it. A '%' before any other unit stands as it is.
void BuildFormat(const std::u16string& raw, const Kind* shape, const Argument* arguments,
                 std::u16string& format, std::u16string& expected) {
    int slot = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        const char16_t next = i + 1 < raw.size() ? raw[i + 1] : u'\0';
        if (raw[i] != u'%' || (next != u'%' && !IsDirectiveLetter(next))) {
            format += raw[i];
            expected += raw[i];
            continue;
        }
        ++i;
        if (next == u'l' && i + 1 < raw.size() && (raw[i + 1] == u'd' || raw[i + 1] == u'u')) ++i;
        if (next == u'%' || slot == kSlots) {
            format += u"%%";
            expected += u'%';
            continue;
        }
        format += Directive(shape[slot]);
        expected += Expected(shape[slot], arguments[slot]);
        ++slot;
    }
}

template <class A, class B, class C, class D>
void CallFormat(WideString& target, const std::u16string& format, A a, B b, C c, D d) {
    target.Format(format.c_str(), a, b, c, d);
}

void RunShape(int shape, WideString& target, const std::u16string& format, const Argument* args,
              const char16_t* ownText) {
    auto text = [&](int i) { return i == 0 && ownText ? ownText : args[i].text.c_str(); };
    switch (shape) {
        case 0:
            CallFormat(target, format, text(0), static_cast<int>(args[1].bits),
                       static_cast<unsigned>(args[2].bits), text(3));
            break;
        case 1:
            CallFormat(target, format, static_cast<int>(args[0].bits), text(1),
                       static_cast<long>(args[2].bits), static_cast<unsigned long>(args[3].bits));
            break;
        case 2:
            CallFormat(target, format, text(0), text(1), text(2), text(3));
            break;
        default:
            CallFormat(target, format, static_cast<unsigned long>(args[0].bits),
                       static_cast<long>(args[1].bits), text(2), static_cast<int>(args[3].bits));
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // A control byte (shape, own-text flag, repeat exponent); the format text and four
    // arguments, separated by NUL bytes.
    const int shape = data[0] & 3;
    const bool ownText = (data[0] & 4) && kShapes[shape][0] == Kind::kText;
    const int repeat = 1 << ((data[0] >> 4) > 8 ? 8 : (data[0] >> 4));
    const std::vector<std::string> fields = SplitFields(data + 1, size - 1, kSlots + 1);
    auto decode = [](const std::string& field) {
        return UpToNul(DecodeLenient(reinterpret_cast<const uint8_t*>(field.data()), field.size()));
    };
    Argument arguments[kSlots];
    for (int i = 0; i < kSlots; ++i) {
        const std::u16string piece = decode(fields[i + 1]);
        for (int r = 0; r < repeat && arguments[i].text.size() < 20000; ++r)
            arguments[i].text += piece;
        std::memcpy(&arguments[i].bits, fields[i + 1].data(),
                    fields[i + 1].size() < 8 ? fields[i + 1].size() : 8);
    }
    std::u16string format, expected;
    BuildFormat(decode(fields[0]), kShapes[shape], arguments, format, expected);

    WideString target;
    target.AssignText(u"old text");
    if (ownText) target.AssignText(arguments[0].text.c_str());
    RunShape(shape, target, format, arguments, ownText ? target.Text() : nullptr);

    auto where = [&] { return "format '" + Printable(format.substr(0, 200)) + "'"; };
    const std::u16string got = Str(target);
    FUZZ_CHECK(kTarget, got == expected,
               where() + " gave '" + Printable(got.substr(0, 300)) + "', expected '" +
                   Printable(expected.substr(0, 300)) + "'");
    if (expected.empty()) {
        FUZZ_CHECK(kTarget, target.Record() == nullptr, where() + ": empty output keeps a record");
        return 0;
    }
    // The scratch block doubles from 2048 units until the output fits behind a terminator;
    // when four fifths of it are used it is kept, otherwise the text is copied to fit.
    const uint32_t length = static_cast<uint32_t>(expected.size());
    uint32_t block = 2048;
    while (length > block - 1) block *= 2;
    const uint32_t capacity = length >= (block / 10) * 8 ? block : (length + 1) | 7;
    FUZZ_CHECK(kTarget, target.Capacity() == capacity,
               where() + ": length " + std::to_string(length) + ", capacity " +
                   std::to_string(target.Capacity()) + ", expected " + std::to_string(capacity));
    return 0;
}
