#include "launcher_decoder.h"

namespace {

bool IsLineTerminator(char16_t c) {
    return c == u'\r' || c == u'\n' || c == u'\u2028' || c == u'\u2029';
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads count hex digits at text[pos]; -1 when they are not all there.
long ReadHex(const std::u16string& text, size_t pos, int count) {
    long value = 0;
    for (int i = 0; i < count; ++i) {
        if (pos + i >= text.size() || HexValue(text[pos + i]) < 0) return -1;
        value = value * 16 + HexValue(text[pos + i]);
    }
    return value;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

std::optional<std::u16string> ReadScriptLiteral(const std::u16string& text, size_t& pos) {
    if (pos >= text.size() || (text[pos] != u'\'' && text[pos] != u'"')) return std::nullopt;
    const char16_t quote = text[pos++];
    std::u16string value;
    while (pos < text.size()) {
        const char16_t c = text[pos++];
        if (c == quote) return value;
        if (IsLineTerminator(c)) return std::nullopt;
        if (c != u'\\') {
            value += c;
            continue;
        }
        if (pos >= text.size()) return std::nullopt;
        const char16_t e = text[pos++];
        switch (e) {
            case u'n':
                value += u'\n';
                break;
            case u'r':
                value += u'\r';
                break;
            case u't':
                value += u'\t';
                break;
            case u'b':
                value += u'\b';
                break;
            case u'f':
                value += u'\f';
                break;
            case u'v':
                value += u'\v';
                break;
            case u'0':
                value += u'\0';
                break;
            case u'x': {
                const long v = ReadHex(text, pos, 2);
                if (v < 0) return std::nullopt;
                value += static_cast<char16_t>(v);
                pos += 2;
                break;
            }
            case u'u': {
                const long v = ReadHex(text, pos, 4);
                if (v < 0) return std::nullopt;
                value += static_cast<char16_t>(v);
                pos += 4;
                break;
            }
            case u'\r':
                // A backslash before a line end continues the literal on the next line.
                if (pos < text.size() && text[pos] == u'\n') ++pos;
                break;
            case u'\n':
            case u'\u2028':
            case u'\u2029':
                break;
            default:
                value += e;
        }
    }
    return std::nullopt;
}

std::vector<std::u16string> SplitCommandLine(const std::u16string& commandLine, QuoteRule rule) {
    std::vector<std::u16string> arguments;
    size_t p = 0;
    const size_t n = commandLine.size();
    // The program name: no backslash rules, a quote only switches quoting.
    std::u16string program;
    bool quoted = false;
    while (p < n && (quoted || !IsBlank(commandLine[p]))) {
        if (commandLine[p] == u'"')
            quoted = !quoted;
        else
            program += commandLine[p];
        ++p;
    }
    arguments.push_back(program);
    for (;;) {
        while (p < n && IsBlank(commandLine[p])) ++p;
        if (p >= n) break;
        std::u16string argument;
        bool inQuotes = false;
        for (;;) {
            size_t backslashes = 0;
            while (p < n && commandLine[p] == u'\\') ++p, ++backslashes;
            bool copy = true;
            if (p < n && commandLine[p] == u'"') {
                if (backslashes % 2 == 0) {
                    if (inQuotes && p + 1 < n && commandLine[p + 1] == u'"') {
                        ++p;  // "" inside quotes: one literal quote
                        if (rule == QuoteRule::kMsvcrt) inQuotes = false;
                    } else {
                        copy = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes /= 2;
            }
            argument.append(backslashes, u'\\');
            if (p >= n || (!inQuotes && IsBlank(commandLine[p]))) break;
            if (copy) argument += commandLine[p];
            ++p;
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::string Printable(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x20) {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
