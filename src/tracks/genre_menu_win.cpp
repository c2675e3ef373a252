// The genre list from "Genre-Menü.txt" beside the program, and the genre pop-up menu.
#include "tracks/genre_menu_win.h"

#include "tracks/genre_list.h"
#include "tracks/popup_menu_win.h"
#include "win/program_folder_win.h"
#include "win/utf16_cast.h"

namespace {

// The genre file's UTF-16 LE text; false when there is no file or no memory for it.
bool ReadGenreFile(WideString& text) {
    WideString name = ProgramFolder();
    if (name.IsEmpty()) return false;  // never a file from the current folder instead
    name.Append(u"Genre-Menü.txt");
    HANDLE file = CreateFileW(AsWide(name.Text()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file, nullptr);
    bool read = false;
    // Room for size bytes and a terminator; a final odd byte is read but not taken as text.
    if (size != INVALID_FILE_SIZE && text.PrepareBuffer(size / 2 + 1)) {
        DWORD bytesRead = 0;
        if (!ReadFile(file, text.Buffer(), size, &bytesRead, nullptr)) bytesRead = 0;
        text.Truncate(bytesRead / 2);
        read = true;
    }
    CloseHandle(file);
    return read;
}

void AppendGenreItem(HMENU menu, const WideString& entry, UINT id, GenreMenuItem item) {
    switch (item) {
        case GenreMenuItem::kSkip:
            break;
        case GenreMenuItem::kSeparator:
            AppendMenuW(menu, MF_SEPARATOR, id, nullptr);
            break;
        case GenreMenuItem::kGreyBlank:
            AppendMenuW(menu, MF_STRING | MF_GRAYED, id, L"");
            break;
        case GenreMenuItem::kString:
            AppendMenuW(menu, MF_STRING, id, AsWide(entry.Text()));
            break;
        case GenreMenuItem::kStringColumnBreak:
            AppendMenuW(menu, MF_STRING | MF_MENUBREAK, id, AsWide(entry.Text()));
            break;
    }
}

}  // namespace

void LoadGenreList(PointerArray<WideString>& list) {
    list.DeleteAll();
    WideString text;
    if (ReadGenreFile(text) && !text.IsEmpty()) {
        ParseGenreText(text.Text(), list);
    } else {
        LoadBuiltInGenres(list);
    }
}

bool ShowGenreMenu(DialogState& state) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return false;
    const PointerArray<WideString>& list = state.genres;
    uint32_t rows = 0;
    for (uint32_t i = 0; i < list.Count(); ++i) {
        const WideString& entry = *list.GetAt(i);
        AppendGenreItem(menu, entry, i + 1, NextGenreMenuItem(entry, rows));
    }
    bool chosenGenre = false;
    if (const UINT chosen = TrackMenuAtMessagePos(state.dialog, menu)) {
        WideString genre = MenuItemText(menu, chosen);
        CleanChosenGenre(genre);
        SetWindowTextW(state.controls.tagFields[kGenre - kFirstTag], AsWide(genre.Text()));
        chosenGenre = true;
    }
    DestroyMenu(menu);
    return chosenGenre;
}
