#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

void FailProperty(const char* target, const char* what, const std::string& detail) {
    std::fprintf(stderr, "\n%s: property failed: %s\n%s\n", target, what, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

namespace {

bool IsContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// Length and first-byte payload of the UTF-8 sequence led by byte; 0 when byte leads none.
int SequenceLength(uint8_t byte, char32_t& payload) {
    if (byte < 0x80) {
        payload = byte;
        return 1;
    }
    if (byte >= 0xC2 && byte <= 0xDF) {
        payload = byte & 0x1F;
        return 2;
    }
    if (byte >= 0xE0 && byte <= 0xEF) {
        payload = byte & 0x0F;
        return 3;
    }
    if (byte >= 0xF0 && byte <= 0xF4) {
        payload = byte & 0x07;
        return 4;
    }
    return 0;
}

// Reads one sequence at data[i]; allowSurrogates lets an encoded surrogate through.
bool ReadSequence(const uint8_t* data, size_t size, size_t& i, char32_t& code,
                  bool allowSurrogates) {
    char32_t value;
    const int length = SequenceLength(data[i], value);
    if (length == 0 || i + length > size) return false;
    for (int k = 1; k < length; ++k) {
        if (!IsContinuation(data[i + k])) return false;
        value = (value << 6) | (data[i + k] & 0x3F);
    }
    static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF) return false;
    if (!allowSurrogates && value >= 0xD800 && value <= 0xDFFF) return false;
    code = value;
    i += length;
    return true;
}

void AppendCodePoint(std::u16string& text, char32_t code) {
    if (code < 0x10000) {
        text += static_cast<char16_t>(code);
        return;
    }
    code -= 0x10000;
    text += static_cast<char16_t>(0xD800 + (code >> 10));
    text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

}  // namespace

std::u16string DecodeLenient(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i < size;) {
        char32_t code;
        if (ReadSequence(data, size, i, code, true)) {
            AppendCodePoint(text, code);
        } else {
            text += static_cast<char16_t>(data[i++]);
        }
    }
    return text;
}

std::u16string DecodeUtf16Le(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return text;
}

std::vector<std::string> SplitFields(const uint8_t* data, size_t size, size_t count) {
    std::vector<std::string> fields(count);
    size_t field = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && field + 1 < count) {
            ++field;
            continue;
        }
        fields[field] += static_cast<char>(data[i]);
    }
    return fields;
}

bool DecodeUtf8Strict(const std::string& bytes, std::u32string& codePoints) {
    codePoints.clear();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        char32_t code;
        if (!ReadSequence(data, bytes.size(), i, code, false)) return false;
        codePoints += code;
    }
    return true;
}

std::u32string CodePointsReplacingLoneSurrogates(const std::u16string& text) {
    std::u32string codePoints;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            codePoints += 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (high || low) {
            codePoints += 0xFFFD;
        } else {
            codePoints += unit;
        }
    }
    return codePoints;
}

std::u16string UpToNul(const std::u16string& text) {
    return text.substr(0, text.find(u'\0'));
}

std::u16string Str(const WideString& text) {
    return text.Text();
}

std::string Str(const NarrowString& text) {
    return text.Text();
}

std::u16string ReplaceEvery(const std::u16string& text, const std::u16string& find,
                            const std::u16string& replacement) {
    if (find.empty()) return text;
    std::u16string result;
    size_t from = 0;
    for (size_t at = text.find(find); at != std::u16string::npos; at = text.find(find, from)) {
        result.append(text, from, at - from);
        result += replacement;
        from = at + find.size();
    }
    result.append(text, from, std::u16string::npos);
    return result;
}

namespace {

bool IsBlankUnit(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

std::u16string TrimmedBlanks(const std::u16string& text) {
    size_t begin = 0, end = text.size();
    while (end > begin && IsBlankUnit(text[end - 1])) --end;
    while (begin < end && IsBlankUnit(text[begin])) ++begin;
    return text.substr(begin, end - begin);
}

}  // namespace

std::vector<std::u16string> SplitPieces(const std::u16string& text,
                                        const std::u16string& separator) {
    std::vector<std::u16string> pieces;
    if (text.empty() || separator.empty()) return pieces;
    size_t from = 0;
    for (size_t at = text.find(separator); at != std::u16string::npos;) {
        if (at > from) pieces.push_back(TrimmedBlanks(text.substr(from, at - from)));
        from = at + separator.size();
        at = from < text.size() ? text.find(separator, from) : std::u16string::npos;
    }
    pieces.push_back(TrimmedBlanks(text.substr(from)));
    return pieces;
}

bool HasLoneSurrogate(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0xD800 || unit > 0xDFFF) continue;
        if (unit > 0xDBFF || i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
            return true;
        ++i;  // a pair
    }
    return false;
}
