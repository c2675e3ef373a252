// The two conversions at the 8-bit edges: ANSI code page in, UTF-8 out.
#include "foundation/narrow_string.h"
#include "foundation/text_services.h"
#include "foundation/wide_string.h"

WideString& WideString::AssignAnsi(const char* text) {
    if (!text) text = "";
    uint32_t length = 0;
    while (text[length]) ++length;
    if (!PrepareBuffer(length)) return *this;
    // A double-byte code page may yield fewer units; the text then ends at the
    // converted NUL.
    AnsiToWide(text, static_cast<int>(length + 1), Buffer(), static_cast<int>(length + 1));
    Truncate(length);
    return *this;
}

NarrowString WideString::ToUtf8() const {
    const char16_t* source = Text();
    const int sourceUnits = static_cast<int>(Length() + 1);
    NarrowString result;
    const int needed = WideToUtf8(source, sourceUnits, nullptr, 0);
    const uint32_t bytes = needed > 0 ? static_cast<uint32_t>(needed) : 0;
    if (!result.PrepareBuffer(bytes)) return result;
    WideToUtf8(source, sourceUnits, result.Buffer(), static_cast<int>(bytes + 1));
    result.Truncate(bytes);
    return result;
}
