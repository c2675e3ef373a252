// Text helpers shared by the tests and benchmarks: decimal numbers, UTF-8 and the bytes of
// UTF-16 text. Platform-free, so the unit tests use them natively too.
#pragma once
#include <string>

// The decimal text of a number, padded with leading zeros to at least `width` digits.
inline std::u16string Decimal(long long value, int width = 0) {
    const bool negative = value < 0;
    unsigned long long rest = negative ? 0ull - static_cast<unsigned long long>(value)
                                       : static_cast<unsigned long long>(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + rest % 10));
        rest /= 10;
    } while (rest != 0);
    while (static_cast<int>(digits.size()) < width) digits.insert(digits.begin(), u'0');
    if (negative) digits.insert(digits.begin(), u'-');
    return digits;
}

// UTF-16 to UTF-8; a surrogate that is not part of a pair becomes U+FFFD, as
// WideCharToMultiByte makes it.
inline std::string Utf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

// UTF-8 to UTF-16, strictly: each byte of a malformed sequence (cut short, overlong, a
// surrogate, past U+10FFFF) becomes U+FFFD.
inline std::u16string FromUtf8(const std::string& bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const int trail = lead < 0x80    ? 0
                          : lead >= 0xF0 ? 3
                          : lead >= 0xE0 ? 2
                          : lead >= 0xC0 ? 1
                                         : -1;
        char32_t c = trail == 0 ? lead : lead & (0x3F >> trail);
        bool ok = trail >= 0 && i + trail < bytes.size();
        for (int k = 1; ok && k <= trail; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed too.
        static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        ok = ok && c >= kLeast[trail] && c <= 0x10FFFF && !(c >= 0xD800 && c < 0xE000);
        if (!ok) {
            text += u'\uFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
        i += trail + 1;
    }
    return text;
}

// The bytes of a UTF-16 text as a file holds them (little-endian, no byte-order mark).
inline std::string Utf16Bytes(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}
