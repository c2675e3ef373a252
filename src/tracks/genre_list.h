// The genre list: parsing its text, the built-in list, the menu's column layout and the
// cleanup of a chosen entry. Platform-free; the file and the menu live in genre_menu_win.cpp.
#pragma once
#include <cstdint>
#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"

// Longest entry kept from a line, in UTF-16 units.
constexpr uint32_t kGenreEntryMaxLength = 128;
// Rows per menu column, separators and blank rows included.
constexpr uint32_t kGenreRowsPerColumn = 40;
// Most entries taken from a genre text: 25 columns, far wider than any screen. The list grows
// by 8 slots at a time, so a file of millions of lines would otherwise take hours to load and
// give a menu that never opens.
constexpr uint32_t kGenreListMaxEntries = 1000;

// A genre list holds, in file order, text entries (leading blanks indent them), separators
// (first unit "-") and blank entries (empty).

// Empties the list and fills it from NUL-terminated UTF-16 text, one entry per line; lines end
// with CR LF, LF, CR or LF CR. Lines after the first kGenreListMaxEntries entries are ignored.
// A list left empty gets "Rock" and "Pop".
void ParseGenreText(const char16_t* text, PointerArray<WideString>& list);

// The built-in list as 8-bit text in the ANSI code page, 161 entries.
extern const char kBuiltInGenreText[];
// Empties the list and fills it from the built-in text.
void LoadBuiltInGenres(PointerArray<WideString>& list);

bool IsGenreSeparator(const WideString& entry);

enum class GenreMenuItem {
    kSkip,               // a separator that would open a column: dropped
    kSeparator,          // MF_SEPARATOR
    kGreyBlank,          // empty string item, MF_GRAYED
    kString,             // MF_STRING with the entry's text
    kStringColumnBreak,  // MF_STRING | MF_MENUBREAK: opens a new column
};
// How the next entry goes into the menu. rowCounter starts at 0 for the first entry and is
// carried from entry to entry.
GenreMenuItem NextGenreMenuItem(const WideString& entry, uint32_t& rowCounter);

// A chosen menu text as a genre: leading blanks removed, then each "&&" made "&" (the first
// ampersand of the first "&&" is removed until none is left).
void CleanChosenGenre(WideString& text);
