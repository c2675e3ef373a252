// Escapes that keep a value intact on its way through a script string literal of the
// launcher and the encoder's command-line parser.
#pragma once
#include "foundation/wide_string.h"

// Writes "<\/" for "</" and "<\!--" for "<!--" (either could end or swallow the page's
// script element), the script escapes \r, \n, \u2028, \u2029 for the characters that
// would end a script string literal, and \uXXXX for a surrogate that is not part of a pair
// (UTF-8 cannot carry it; the escape keeps the very unit a file name may hold). The script
// engine reads the text back unchanged.
WideString EscapeScriptBreakers(const WideString& text);

constexpr bool IsSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// For writers that escape while they copy. The units at which EscapeScriptBreakers may write
// an escape; every other unit stays as it is.
constexpr bool MayStartScriptBreaker(char16_t unit) {
    return unit <= u'<' ? unit == u'<' || unit == u'\r' || unit == u'\n'
                        : unit == u'\u2028' || unit == u'\u2029' || IsSurrogate(unit);
}

// What EscapeScriptBreakers writes for the text at `at` (read on from there, up to three
// units, up to a NUL): `units` units are taken and written as `escape`, or as they stand
// when it is null. A surrogate pair is taken whole and stays.
struct ScriptBreakerStep {
    uint32_t units;
    const char16_t* escape;  // points into the step's scratch or to a constant text
};
struct ScriptBreakerScratch {
    char16_t units[7];
};
ScriptBreakerStep ScriptBreakerEscape(const char16_t* at, ScriptBreakerScratch& scratch);
