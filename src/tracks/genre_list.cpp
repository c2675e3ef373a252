// Parsing the genre list and laying it out as a menu of columns.
#include "tracks/genre_list.h"

#include <new>

namespace {

bool IsBlankOrTab(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

void AddEntry(PointerArray<WideString>& list, const char16_t* text, uint32_t length) {
    auto* entry = new (std::nothrow) WideString;
    if (!entry) return;
    if (length > 0) entry->AssignText(text, length);
    if (!list.Add(entry)) delete entry;
}

// A blank entry never follows a blank or a separator, a separator never follows a separator,
// and the list never begins with either.
void AppendLine(PointerArray<WideString>& list, const char16_t* content, uint32_t length) {
    const WideString* last = list.Count() > 0 ? list.GetAt(list.Count() - 1) : nullptr;
    if (length == 0) {
        if (last && !last->IsEmpty() && !IsGenreSeparator(*last)) AddEntry(list, content, 0);
    } else if (content[0] == u'-') {
        if (last && !IsGenreSeparator(*last)) AddEntry(list, content, length);
    } else {
        AddEntry(list, content, length);
    }
}

}  // namespace

bool IsGenreSeparator(const WideString& entry) {
    return entry.Text()[0] == u'-';
}

void ParseGenreText(const char16_t* text, PointerArray<WideString>& list) {
    list.DeleteAll();
    const char16_t* at = text ? text : kEmptyText;
    while (*at && list.Count() < kGenreListMaxEntries) {
        // The content stops at the first control character; a tab starts a comment.
        const char16_t* content = at;
        while (*at >= 0x20) ++at;
        uint32_t length = static_cast<uint32_t>(at - content);
        while (*at && *at != u'\r' && *at != u'\n') ++at;
        if (*at == u'\r') {
            if (*++at == u'\n') ++at;
        } else if (*at == u'\n') {
            if (*++at == u'\r') ++at;
        }
        if (length > kGenreEntryMaxLength) length = kGenreEntryMaxLength;
        while (length > 0 && IsBlankOrTab(content[length - 1])) --length;
        AppendLine(list, content, length);
    }
    if (list.Count() == 0) {
        AddEntry(list, u"Rock", 4);
        AddEntry(list, u"Pop", 3);
    }
}

void LoadBuiltInGenres(PointerArray<WideString>& list) {
    WideString text;
    text.AssignAnsi(kBuiltInGenreText);
    ParseGenreText(text.Text(), list);
}

GenreMenuItem NextGenreMenuItem(const WideString& entry, uint32_t& rowCounter) {
    GenreMenuItem item;
    if (rowCounter > 0 && rowCounter % kGenreRowsPerColumn == 0) {
        if (IsGenreSeparator(entry)) {
            item = GenreMenuItem::kSkip;
            --rowCounter;  // the next entry opens the column instead
        } else {
            item = GenreMenuItem::kStringColumnBreak;
        }
    } else if (IsGenreSeparator(entry)) {
        item = GenreMenuItem::kSeparator;
    } else if (entry.IsEmpty()) {
        item = GenreMenuItem::kGreyBlank;
    } else {
        item = GenreMenuItem::kString;
    }
    ++rowCounter;
    return item;
}

void CleanChosenGenre(WideString& text) {
    const char16_t* start = text.Text();
    while (*start == u' ') ++start;
    WideString cleaned;
    cleaned.AssignText(start);
    for (int32_t pos = FindTextFrom(cleaned.Text(), 0, u"&&"); pos >= 0;
         pos = FindTextFrom(cleaned.Text(), 0, u"&&")) {
        cleaned.MakeUnique();
        char16_t* units = cleaned.Buffer();
        CopyText(units + pos, units + pos + 1);
    }
    text.Assign(cleaned);
}
