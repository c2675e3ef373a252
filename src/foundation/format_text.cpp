// Bounded UTF-16 formatting used by WideString::Format.
#include "foundation/format_text.h"

namespace {

struct Output {
    char16_t* target;
    uint32_t limit;
    uint32_t written = 0;
    bool overflowed = false;

    void Put(char16_t unit) {
        if (written < limit)
            target[written++] = unit;
        else
            overflowed = true;
    }
    void PutRange(const char16_t* begin, const char16_t* end) {
        for (; begin != end && !overflowed; ++begin) Put(*begin);
    }
    void PutText(const char16_t* text) {
        for (; *text && !overflowed; ++text) Put(*text);
    }
    void PutNumber(unsigned long long magnitude, bool negative) {
        char16_t digits[24];
        int count = 0;
        do {
            digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (negative) Put(u'-');
        while (count > 0 && !overflowed) Put(digits[--count]);
    }
    void PutSigned(long long value) {
        // Negated through unsigned, so that the smallest value stays defined.
        const bool negative = value < 0;
        const auto magnitude = static_cast<unsigned long long>(value);
        PutNumber(negative ? 0ull - magnitude : magnitude, negative);
    }
};

}  // namespace

int FormatText(char16_t* target, uint32_t limit, const char16_t* format, va_list arguments) {
    Output out{target, limit};
    if (!format) format = u"";
    const char16_t* p = format;
    while (*p && !out.overflowed) {
        if (*p != u'%') {
            out.Put(*p++);
            continue;
        }
        const bool isLong = p[1] == u'l';
        const char16_t kind = p[isLong ? 2 : 1];
        if (kind == u'd') {
            out.PutSigned(isLong ? va_arg(arguments, long) : va_arg(arguments, int));
        } else if (kind == u'u') {
            out.PutNumber(
                isLong ? va_arg(arguments, unsigned long) : va_arg(arguments, unsigned int), false);
        } else if (kind == u's' && !isLong) {
            const char16_t* text = va_arg(arguments, const char16_t*);
            out.PutText(text ? text : u"(null)");
        } else if (kind == u'%' && !isLong) {
            out.Put(u'%');
        } else {
            // Not a directive of ours: the '%' is written as it stands.
            out.Put(*p++);
            continue;
        }
        p += isLong ? 3 : 2;
    }
    return out.overflowed ? -1 : static_cast<int>(out.written);
}
