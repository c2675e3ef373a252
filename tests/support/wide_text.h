// Test text as the program's own string type.
#pragma once
#include <string>

#include "foundation/wide_string.h"

// Null reads as empty, as everywhere in the program.
inline WideString Wide(const char16_t* text) {
    WideString s;
    s.AssignText(text);
    return s;
}
inline WideString Wide(const std::u16string& text) {
    return Wide(text.c_str());
}
