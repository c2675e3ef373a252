// Escapes that keep a value intact on its way through a script string literal of the
// launcher and the encoder's command-line parser.
#pragma once
#include "foundation/wide_string.h"

// Doubles every run of backslashes that stands right before a double quote or at the end
// of the text, so that a quoted argument built from it keeps them: the Windows command-line
// rules read such runs as escapes of the quote that follows (or closes the argument).
WideString DoubleBackslashesBeforeQuotes(const WideString& text);

// Writes "<\/" for "</" and "<\!--" for "<!--" (either could end or swallow the page's
// script element) and the script escapes
// \r, \n, \u2028, \u2029 for the characters that would end a script string literal. The
// script engine reads the text back unchanged.
WideString EscapeScriptBreakers(const WideString& text);

// For writers that escape while they copy. The units at which EscapeScriptBreakers may write
// an escape; every other unit stays as it is.
constexpr bool MayStartScriptBreaker(char16_t unit) {
    return unit <= u'<' ? unit == u'<' || unit == u'\r' || unit == u'\n'
                        : unit == u'\u2028' || unit == u'\u2029';
}
// The escape that EscapeScriptBreakers writes for the unit at `at` (read on from there, up to
// three units, up to a NUL), or null when the unit stays.
const char16_t* ScriptBreakerEscape(const char16_t* at);
