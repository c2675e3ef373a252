// The platform text services without Win32: code page 1252 as the ANSI code
// page, per-unit upper-casing of ASCII and Latin-1.
#include "foundation/text_services.h"

namespace {

// Bytes 0x80-0x9F of code page 1252. The five undefined bytes map to the
// control units of the same value, as Windows does.
// clang-format off
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

char16_t AnsiUnit(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : char16_t(byte);
}

// Length of a source given as -1 (NUL-terminated, NUL included).
template <class Unit>
int CountWithTerminator(const Unit* source) {
    int count = 0;
    while (source[count]) ++count;
    return count + 1;
}

}  // namespace

char16_t UpperUnit(char16_t unit) {
    if (unit >= u'a' && unit <= u'z') return char16_t(unit - 0x20);
    if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) return char16_t(unit - 0x20);
    if (unit == 0xFF) return 0x0178;
    return unit;
}

unsigned char UpperAnsiByte(unsigned char byte) {
    if (byte >= 'a' && byte <= 'z') return static_cast<unsigned char>(byte - 0x20);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<unsigned char>(byte - 0x20);
    switch (byte) {
        case 0x9A:
            return 0x8A;  // š
        case 0x9C:
            return 0x8C;  // œ
        case 0x9E:
            return 0x8E;  // ž
        case 0xFF:
            return 0x9F;  // ÿ
        default:
            return byte;
    }
}

// As MultiByteToWideChar: a null or empty target asks for the size; a target
// too small gets what fits and the result is 0.
int AnsiToWide(const char* source, int sourceBytes, char16_t* target, int targetUnits) {
    if (!source) return 0;
    if (sourceBytes < 0) sourceBytes = CountWithTerminator(source);
    if (!target || targetUnits <= 0) return sourceBytes;
    const int fits = sourceBytes < targetUnits ? sourceBytes : targetUnits;
    for (int i = 0; i < fits; ++i) target[i] = AnsiUnit(static_cast<unsigned char>(source[i]));
    return fits == sourceBytes ? sourceBytes : 0;
}

// As WideCharToMultiByte(CP_UTF8, 0): a lone surrogate becomes U+FFFD; a null
// or empty target asks for the size; a target too small gets the whole
// sequences that fit and the result is 0.
