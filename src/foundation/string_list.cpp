// StringList: splitting a text into trimmed pieces.
#include "foundation/string_list.h"

#include <new>

bool StringList::AddPiece(const char16_t* text, uint32_t count) {
    auto* piece = new (std::nothrow) WideString;
    if (!piece) return false;
    if (text && count != 0) piece->AssignText(text, count);
    TrimBlanks(piece->Buffer());
    if (!items_.Add(piece)) {
        delete piece;
        return false;
    }
    return true;
}

uint32_t StringList::Split(const char16_t* text, const char16_t* separator) {
    items_.DeleteAll();
    if (!text || !*text || !separator || !*separator) return 0;
    const uint32_t separatorLength = TextLength(separator);
    const char16_t* rest = text;
    int32_t pos = FindTextFrom(rest, 0, separator);
    while (pos != -1) {
        // Empty pieces between separators are skipped; blank ones are kept.
        if (pos > 0) AddPiece(rest, static_cast<uint32_t>(pos));
        rest += pos + separatorLength;
        const char16_t* found = *rest ? FindText(rest, separator) : nullptr;
        pos = found ? static_cast<int32_t>(found - rest) : -1;
    }
    // The last piece is kept even when it is empty.
    auto* last = new (std::nothrow) WideString;
    if (last) {
        last->AssignText(rest);
        TrimBlanks(last->Buffer());
        if (!items_.Add(last)) delete last;
    }
    return items_.Count();
}
