#include "launcher/script_literal.h"

namespace {

// The escape that replaces one unit, or null when the unit stays.
const char16_t* BreakerEscape(const char16_t* at) {
    if (!MayStartScriptBreaker(at[0])) return nullptr;
    switch (at[0]) {
        case u'\r':
            return u"\\r";
        case u'\n':
            return u"\\n";
        case u'\u2028':
            return u"\\u2028";
        case u'\u2029':
            return u"\\u2029";
        case u'<':
            // "</" would end the script element, and "<!--" followed later by "<script"
            // keeps the page's own "</script>" from ending it. The '/' or '!' follows as
            // it stands; the script reads "\/" and "\!" as the bare characters.
            if (at[1] == u'/') return u"<\\";
            if (at[1] == u'!' && at[2] == u'-' && at[3] == u'-') return u"<\\";
            return nullptr;
        default:
            return nullptr;
    }
}

// Length of the run of backslashes starting at text[i].
uint32_t BackslashRun(const char16_t* text, uint32_t i) {
    uint32_t end = i;
    while (text[end] == u'\\') ++end;
    return end - i;
}

}  // namespace

const char16_t* ScriptBreakerEscape(const char16_t* at) {
    return BreakerEscape(at);
}

WideString DoubleBackslashesBeforeQuotes(const WideString& text) {
    const char16_t* source = text.Text();
    const uint32_t length = text.Length();
    uint32_t extra = 0;
    for (uint32_t i = 0; i < length;) {
        const uint32_t run = BackslashRun(source, i);
        if (run == 0) {
            ++i;
            continue;
        }
        i += run;
        if (source[i] == u'"' || i == length) extra += run;
    }
    WideString result;
    if (extra == 0 || !result.PrepareBuffer(length + extra)) return text;
    char16_t* target = result.Buffer();
    for (uint32_t i = 0; i < length;) {
        const uint32_t run = BackslashRun(source, i);
        if (run == 0) {
            *target++ = source[i++];
            continue;
        }
        const uint32_t copies = source[i + run] == u'"' || i + run == length ? 2 * run : run;
        for (uint32_t k = 0; k < copies; ++k) *target++ = u'\\';
        i += run;
    }
    *target = 0;
    return result;
}

WideString EscapeScriptBreakers(const WideString& text) {
    const char16_t* source = text.Text();
    const uint32_t length = text.Length();
    uint32_t extra = 0;
    for (uint32_t i = 0; i < length; ++i)
        if (const char16_t* escape = BreakerEscape(source + i)) extra += TextLength(escape) - 1;
    WideString result;
    if (extra == 0 || !result.PrepareBuffer(length + extra)) return text;
    char16_t* target = result.Buffer();
    for (uint32_t i = 0; i < length; ++i) {
        const char16_t* escape = BreakerEscape(source + i);
        if (!escape) {
            *target++ = source[i];
            continue;
        }
        while (*escape) *target++ = *escape++;
    }
    *target = 0;
    return result;
}
