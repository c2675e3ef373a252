// The genre file parser and the menu's column layout on any UTF-16 text: the list keeps its
// invariants and holds exactly the lines' contents, every column holds at most 40 rows and
// none begins with a separator, and a chosen entry comes out without indentation or "&&".
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launcher_decoder.h"
#include "tracks/genre_list.h"

namespace {

constexpr const char* kTarget = "genre";

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}
bool IsSeparatorText(const std::u16string& entry) {
    return !entry.empty() && entry[0] == u'-';
}

// Line by line: the content up to the first control unit, at most 128 units, trailing blanks
// cut; blank and separator entries only where they may stand; lines beyond the most entries
// a list takes are ignored.
std::vector<std::u16string> ExpectedEntries(const std::u16string& text) {
    std::vector<std::u16string> entries;
    size_t at = 0;
    while (at < text.size() && entries.size() < kGenreListMaxEntries) {
        const size_t start = at;
        while (at < text.size() && text[at] >= 0x20) ++at;
        std::u16string content = text.substr(start, at - start);
        while (at < text.size() && text[at] != u'\r' && text[at] != u'\n') ++at;
        if (at < text.size()) {
            const char16_t end = text[at++];
            const char16_t pair = end == u'\r' ? u'\n' : u'\r';
            if (at < text.size() && text[at] == pair) ++at;
        }
        if (content.size() > kGenreEntryMaxLength) content.resize(kGenreEntryMaxLength);
        while (!content.empty() && IsBlank(content.back())) content.pop_back();
        const bool haveLast = !entries.empty();
        const bool lastIsBlank = haveLast && entries.back().empty();
        const bool lastIsSeparator = haveLast && IsSeparatorText(entries.back());
        if (content.empty()) {
            if (haveLast && !lastIsBlank && !lastIsSeparator) entries.push_back(content);
        } else if (IsSeparatorText(content)) {
            if (haveLast && !lastIsSeparator) entries.push_back(content);
        } else {
            entries.push_back(content);
        }
    }
    if (entries.empty()) entries = {u"Rock", u"Pop"};
    return entries;
}

template <class Where>
void CheckInvariants(const std::vector<std::u16string>& entries, const Where& where) {
    FUZZ_CHECK(kTarget, !entries.empty() && entries.size() <= kGenreListMaxEntries, where());
    FUZZ_CHECK(kTarget, !entries[0].empty() && !IsSeparatorText(entries[0]), where());
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::u16string& entry = entries[i];
        auto at = [&] {
            return where() + ", entry " + std::to_string(i) + " '" + Printable(entry) + "'";
        };
        FUZZ_CHECK(kTarget, entry.size() <= kGenreEntryMaxLength, at());
        FUZZ_CHECK(kTarget, entry.empty() || !IsBlank(entry.back()), at());
        for (char16_t unit : entry) FUZZ_CHECK(kTarget, unit >= 0x20, at());
        if (i == 0) continue;
        const std::u16string& last = entries[i - 1];
        if (IsSeparatorText(entry)) FUZZ_CHECK(kTarget, !IsSeparatorText(last), at());
        if (entry.empty()) FUZZ_CHECK(kTarget, !last.empty() && !IsSeparatorText(last), at());
    }
}

template <class Where>
void CheckMenuLayout(const PointerArray<WideString>& list, const Where& where) {
    uint32_t rowCounter = 0;
    std::vector<uint32_t> columns{0};  // rows per column
    for (uint32_t i = 0; i < list.Count(); ++i) {
        const WideString& entry = *list.GetAt(i);
        const bool separator = IsSeparatorText(Str(entry));
        auto at = [&] { return where() + ", menu entry " + std::to_string(i); };
        const uint32_t rows = columns.back();
        switch (NextGenreMenuItem(entry, rowCounter)) {
            case GenreMenuItem::kSkip:
                FUZZ_CHECK(kTarget, separator && rows == kGenreRowsPerColumn, at());
                break;
            case GenreMenuItem::kStringColumnBreak:
                FUZZ_CHECK(kTarget, !separator && rows == kGenreRowsPerColumn, at());
                columns.push_back(1);
                break;
            case GenreMenuItem::kSeparator:  // never the first row of a column
                FUZZ_CHECK(kTarget, separator && rows > 0 && rows < kGenreRowsPerColumn, at());
                ++columns.back();
                break;
            case GenreMenuItem::kGreyBlank:
                FUZZ_CHECK(kTarget, entry.IsEmpty() && rows < kGenreRowsPerColumn, at());
                ++columns.back();
                break;
            case GenreMenuItem::kString:
                FUZZ_CHECK(kTarget, !entry.IsEmpty() && !separator, at());
                FUZZ_CHECK(kTarget, rows < kGenreRowsPerColumn, at());
                ++columns.back();
                break;
        }
    }
    for (uint32_t rows : columns)
        FUZZ_CHECK(kTarget, rows > 0 && rows <= kGenreRowsPerColumn, where());
}

// Leading blanks gone and every run of ampersands made one.
std::u16string ExpectedChoice(const std::u16string& entry) {
    size_t start = 0;
    while (start < entry.size() && entry[start] == u' ') ++start;
    std::u16string choice;
    for (size_t i = start; i < entry.size(); ++i)
        if (entry[i] != u'&' || i == start || entry[i - 1] != u'&') choice += entry[i];
    return choice;
}

void CheckParse(const std::u16string& text, const std::vector<std::u16string>& expected) {
    PointerArray<WideString> list;
    ParseGenreText(text.c_str(), list);
    std::vector<std::u16string> entries;
    for (uint32_t i = 0; i < list.Count(); ++i) entries.push_back(Str(*list.GetAt(i)));
    auto where = [&] { return "genre text '" + Printable(text.substr(0, 200)) + "'"; };
    CheckInvariants(entries, where);
    FUZZ_CHECK(kTarget, entries.size() == expected.size(),
               where() + ": " + std::to_string(entries.size()) + " entries, expected " +
                   std::to_string(expected.size()));
    for (size_t i = 0; i < entries.size(); ++i)
        FUZZ_CHECK(kTarget, entries[i] == expected[i],
                   where() + ", entry " + std::to_string(i) + " '" + Printable(entries[i]) +
                       "', expected '" + Printable(expected[i]) + "'");
    CheckMenuLayout(list, where);
    for (const std::u16string& entry : entries) {
        if (entry.empty() || IsSeparatorText(entry)) continue;
        WideString chosen;
        chosen.AssignText(entry.c_str());
        CleanChosenGenre(chosen);
        FUZZ_CHECK(
            kTarget, Str(chosen) == ExpectedChoice(entry),
            where() + ", chosen '" + Printable(entry) + "' gave '" + Printable(Str(chosen)) + "'");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The built-in list keeps the same rules.
    PointerArray<WideString> builtIn;
    LoadBuiltInGenres(builtIn);
    FUZZ_CHECK(kTarget, builtIn.Count() == 161, std::to_string(builtIn.Count()) + " entries");
    // Written out one entry a line and read again, it is the same list.
    std::u16string text;
    std::vector<std::u16string> entries;
    for (uint32_t i = 0; i < builtIn.Count(); ++i) {
        entries.push_back(Str(*builtIn.GetAt(i)));
        text += entries.back() + u"\r\n";
    }
    CheckParse(text, entries);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The genre file's bytes: UTF-16 little-endian, ending at a NUL unit.
    const std::u16string text = UpToNul(DecodeUtf16Le(data, size));
    const std::vector<std::u16string> expected = ExpectedEntries(text);
    CheckParse(text, expected);
    return 0;
}
