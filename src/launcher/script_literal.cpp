#include "launcher/script_literal.h"

namespace {

// The escape that replaces the unit at `at`, or null when it stays; a surrogate pair stays
// and is taken whole.
ScriptBreakerStep BreakerEscape(const char16_t* at, ScriptBreakerScratch& scratch) {
    if (!MayStartScriptBreaker(at[0])) return {1, nullptr};
    switch (at[0]) {
        case u'\r':
            return {1, u"\\r"};
        case u'\n':
            return {1, u"\\n"};
        case u'\u2028':
            return {1, u"\\u2028"};
        case u'\u2029':
            return {1, u"\\u2029"};
        case u'<':
            // "</" would end the script element, and "<!--" followed later by "<script"
            // keeps the page's own "</script>" from ending it. The '/' or '!' follows as
            // it stands; the script reads "\/" and "\!" as the bare characters.
            if (at[1] == u'/') return {1, u"<\\"};
            if (at[1] == u'!' && at[2] == u'-' && at[3] == u'-') return {1, u"<\\"};
            return {1, nullptr};
        default:
            break;
    }
    // A high surrogate followed by a low one is a character beyond the BMP.
    if (at[0] < 0xDC00 && at[1] >= 0xDC00 && at[1] <= 0xDFFF) return {2, nullptr};
    static const char16_t kHex[] = u"0123456789ABCDEF";
    scratch.units[0] = u'\\';
    scratch.units[1] = u'u';
    for (int digit = 0; digit < 4; ++digit)
        scratch.units[2 + digit] = kHex[(at[0] >> (12 - 4 * digit)) & 0xF];
    scratch.units[6] = 0;
    return {1, scratch.units};
}

}  // namespace

ScriptBreakerStep ScriptBreakerEscape(const char16_t* at, ScriptBreakerScratch& scratch) {
    return BreakerEscape(at, scratch);
}

WideString EscapeScriptBreakers(const WideString& text) {
    const char16_t* source = text.Text();
    const uint32_t length = text.Length();
    ScriptBreakerScratch scratch;
    uint64_t extra = 0;
    for (uint32_t i = 0; i < length;) {
        const ScriptBreakerStep step = BreakerEscape(source + i, scratch);
        if (step.escape) extra += TextLength(step.escape) - step.units;
        i += step.units;
    }
    WideString result;
    if (extra == 0 || length + extra >= UINT32_MAX ||
        !result.PrepareBuffer(static_cast<uint32_t>(length + extra)))
        return text;
    char16_t* target = result.Buffer();
    for (uint32_t i = 0; i < length;) {
        const ScriptBreakerStep step = BreakerEscape(source + i, scratch);
        if (!step.escape) {
            for (uint32_t k = 0; k < step.units; ++k) *target++ = source[i + k];
        } else {
            for (const char16_t* escape = step.escape; *escape;) *target++ = *escape++;
        }
        i += step.units;
    }
    *target = 0;
    return result;
}
