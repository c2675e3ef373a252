#include <windows.h>

#include "outputs/same_file_names.h"
#include "win/utf16_cast.h"

bool SameFileName(const char16_t* a, uint32_t aLength, const char16_t* b, uint32_t bLength) {
    return CompareStringOrdinal(AsWide(a), static_cast<int>(aLength), AsWide(b),
                                static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
}
