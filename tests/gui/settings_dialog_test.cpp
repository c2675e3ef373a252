// The "Einstellungen" dialog from the system menu: what it shows, what OK stores, what
// Abbrechen and Escape leave alone, the preview, the folder picker, bad input, and the
// stored values read at the next start. The modal pieces are met by a WH_CBT hook that acts
// from a timer once the dialog's own loop runs, as a user would.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <shlobj.h>

#include "gui/harness.h"
#include "gui/message_box_hook.h"
#include "outputs/output_folder.h"
#include "resources/control_ids.h"
#include "support/files_win.h"
#include "support/window_text_win.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0";

bool HasChild(HWND window, int id) {
    return GetDlgItem(window, id) != nullptr;
}

BOOL CALLBACK FindTree(HWND child, LPARAM found) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (lstrcmpW(name, L"SysTreeView32") != 0) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

// The folder picker shows the folders as a tree.
bool HasTree(HWND window) {
    bool found = false;
    EnumChildWindows(window, FindTree, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Acts in the settings dialog each time it is activated (again after a message box or the
// folder picker), from a timer, so that the dialog's own loop runs the steps.
class SettingsVisit {
  public:
    using Step = std::function<void(HWND dialog)>;
    explicit SettingsVisit(std::vector<Step> steps) : steps_(std::move(steps)) {
        active_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~SettingsVisit() {
        UnhookWindowsHookEx(hook_);
        active_ = nullptr;
    }
    size_t StepsTaken() const { return next_; }
    HWND Dialog() const { return dialog_; }
    // The folder the picker is answered with; empty: the picker is cancelled.
    std::u16string pickerAnswer;
    bool pickerSeen = false;
    HWND pickerOwner = nullptr;

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && active_) {
            if (HasChild(window, IDE_NAME_PATTERN)) {
                active_->dialog_ = window;
                SetTimer(window, 7, 0, TakeStep);
            } else if (active_->dialog_ && GetWindow(window, GW_OWNER) == active_->dialog_ &&
                       HasTree(window) && !active_->pickerSeen) {
                active_->pickerSeen = true;
                active_->pickerOwner = GetWindow(window, GW_OWNER);
                // Given a moment to fill its tree, as a user's eye needs too.
                SetTimer(window, 8, 300, AnswerPicker);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void CALLBACK TakeStep(HWND dialog, UINT, UINT_PTR timer, DWORD) {
        KillTimer(dialog, timer);
        SettingsVisit* visit = active_;
        if (!visit || visit->next_ >= visit->steps_.size()) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // a step too few: never hang
            return;
        }
        visit->steps_[visit->next_++](dialog);
    }
    static void CALLBACK AnswerPicker(HWND picker, UINT, UINT_PTR timer, DWORD) {
        KillTimer(picker, timer);
        if (active_->pickerAnswer.empty()) {
            PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE,
                     reinterpret_cast<LPARAM>(active_->pickerAnswer.c_str()));
        PostMessageW(picker, WM_COMMAND, IDOK, 0);
    }

    static SettingsVisit* active_;
    HHOOK hook_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    HWND dialog_ = nullptr;
};
SettingsVisit* SettingsVisit::active_ = nullptr;

// What a user's actions send: a click on a button, typing that replaces a field's text.
void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
void SetText(HWND dialog, int id, const std::u16string& text) {
    SetFocus(GetDlgItem(dialog, id));
    SetDlgItemTextW(dialog, id, reinterpret_cast<const wchar_t*>(text.c_str()));
}
void PressEscape(HWND dialog) {
    HWND pattern = GetDlgItem(dialog, IDE_NAME_PATTERN);
    SetFocus(pattern);
    PostMessageW(pattern, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
}

struct ShownSettings {
    bool besideSource, ownFolder, keep;
    std::u16string folder, pattern;
    bool folderEnabled, cover, skip;
};
ShownSettings ReadShown(HWND dialog) {
    return {IsDlgButtonChecked(dialog, IDO_BESIDE_SOURCE) == BST_CHECKED,
            IsDlgButtonChecked(dialog, IDO_OWN_FOLDER) == BST_CHECKED,
            IsDlgButtonChecked(dialog, IDX_KEEP_SOURCE_FOLDERS) == BST_CHECKED,
            ControlText(dialog, IDE_OUTPUT_FOLDER),
            ControlText(dialog, IDE_NAME_PATTERN),
            IsWindowEnabled(GetDlgItem(dialog, IDE_OUTPUT_FOLDER)) != FALSE,
            IsDlgButtonChecked(dialog, IDX_TAKE_COVER) == BST_CHECKED,
            IsDlgButtonChecked(dialog, IDX_SKIP_EXISTING) == BST_CHECKED};
}

// The stored values as the registry holds them: "<none>" for a missing one.
std::u16string StoredText(const wchar_t* name) {
    DWORD number = 0, size = sizeof(number), type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kKeyPath, name, RRF_RT_REG_DWORD, &type, &number, &size) ==
        ERROR_SUCCESS)
        return Decimal(number);
    wchar_t buffer[1024] = {};
    size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, kKeyPath, name, RRF_RT_REG_SZ, &type, buffer, &size) !=
        ERROR_SUCCESS)
        return u"<none>";
    return reinterpret_cast<const char16_t*>(buffer);
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software");
        dialog_ = OpenFreshDialog();
    }
    void TearDown() override {
        CloseDialog(dialog_);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software");
    }
    // The system menu's command, as the menu sends it.
    void OpenSettings() {
        SendMessageW(dialog_, WM_SYSCOMMAND, IDM_SETTINGS, 0);
        PumpMessages();
    }
    void Reopen() {
        CloseDialog(dialog_);
        dialog_ = OpenFreshDialog();
    }
    HWND dialog_ = nullptr;
};

TEST_F(SettingsDialogTest, SystemMenuHasTheItemAboveCloseWithASeparator) {
    HMENU menu = GetSystemMenu(dialog_, FALSE);
    const int count = GetMenuItemCount(menu);
    int close = 0;
    while (close < count && GetMenuItemID(menu, close) != SC_CLOSE) ++close;
    ASSERT_LT(close, count);
    ASSERT_GE(close, 2);
    EXPECT_EQ(GetMenuItemID(menu, close - 2), UINT(IDM_SETTINGS));
    wchar_t text[64] = {};
    GetMenuStringW(menu, close - 2, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"&Einstellungen...");
    MENUITEMINFOW separator{sizeof(separator), MIIM_FTYPE};
    GetMenuItemInfoW(menu, close - 1, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
}

TEST_F(SettingsDialogTest, OkStoresWhatIsShownAndTheNextStartReadsIt) {
    const std::u16string folder = u"C:\\MP3 fürs Auto";
    const std::u16string typed = u"C:\\Musik\\..\\MP3 fürs Auto";  // stored full
    ShownSettings first{};
    HWND owner = nullptr;
    std::u16string caption;
    SettingsVisit visit({[&](HWND dialog) {
        first = ReadShown(dialog);
        owner = GetWindow(dialog, GW_OWNER);
        caption = WindowText(dialog);
        Click(dialog, IDO_OWN_FOLDER);
        SetText(dialog, IDE_OUTPUT_FOLDER, typed);
        Click(dialog, IDX_KEEP_SOURCE_FOLDERS);
        SetText(dialog, IDE_NAME_PATTERN, u"<Interpret>\\<Album>\\<Nr> - <Titel>");
        Click(dialog, IDX_TAKE_COVER);
        Click(dialog, IDX_SKIP_EXISTING);
        Click(dialog, IDOK);
    }});
    OpenSettings();
    ASSERT_EQ(visit.StepsTaken(), 1u);
    EXPECT_EQ(caption, u"Einstellungen");
    EXPECT_EQ(owner, dialog_);
    EXPECT_TRUE(first.besideSource && !first.ownFolder && !first.keep && !first.folderEnabled);
    EXPECT_TRUE(first.cover) << "the cover comes along unless switched off";
    EXPECT_FALSE(first.skip) << "existing MP3s are asked about unless switched on";
    EXPECT_EQ(first.folder, u"");
    EXPECT_EQ(first.pattern, u"<Quelldatei>");

    EXPECT_EQ(StoredText(L"Output-Own-Folder"), u"1");
    EXPECT_EQ(StoredText(L"Output-Folder"), folder);
    EXPECT_EQ(StoredText(L"Output-Keep-Source-Folders"), u"1");
    EXPECT_EQ(StoredText(L"Output-Name-Pattern"), u"<Interpret>\\<Album>\\<Nr> - <Titel>");
    EXPECT_EQ(StoredText(L"Cover"), u"0");
    EXPECT_EQ(StoredText(L"Output-Skip-Existing"), u"1");
    EXPECT_EQ(StoredText(L"Lame-Path"), u"<none>");

    Reopen();
    ShownSettings again{};
    SettingsVisit next({[&](HWND dialog) {
        again = ReadShown(dialog);
        Click(dialog, IDCANCEL);
    }});
    OpenSettings();
    EXPECT_TRUE(!again.besideSource && again.ownFolder && again.keep && again.folderEnabled);
    EXPECT_FALSE(again.cover);
    EXPECT_FALSE(OpenDialogState()->output.cover);
    EXPECT_TRUE(again.skip);
    EXPECT_TRUE(OpenDialogState()->output.skipExisting);
    EXPECT_EQ(again.folder, folder);
    EXPECT_EQ(again.pattern, u"<Interpret>\\<Album>\\<Nr> - <Titel>");
}

TEST_F(SettingsDialogTest, AbbrechenAndEscapeStoreNothing) {
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Abbrechen");
        SettingsVisit visit({[&](HWND dialog) {
            Click(dialog, IDO_OWN_FOLDER);
            SetText(dialog, IDE_OUTPUT_FOLDER, u"C:\\MP3");
            SetText(dialog, IDE_NAME_PATTERN, u"<Titel>");
            if (escape)
                PressEscape(dialog);
            else
                Click(dialog, IDCANCEL);
        }});
        OpenSettings();
        EXPECT_EQ(visit.StepsTaken(), 1u);
        EXPECT_FALSE(IsWindow(visit.Dialog()));
        EXPECT_EQ(StoredText(L"Output-Name-Pattern"), u"<none>");
        EXPECT_FALSE(OpenDialogState()->output.ownFolder);
        EXPECT_EQ(std::u16string(OpenDialogState()->output.pattern.Text()), u"<Quelldatei>");
    }
}

TEST_F(SettingsDialogTest, PreviewShowsTheFirstSelectedTrackAsTheUserTypes) {
    SettingsVisit empty({[&](HWND dialog) {
        EXPECT_EQ(ControlText(dialog, IDE_PREVIEW), u"(Die Liste ist leer.)");
        Click(dialog, IDCANCEL);
    }});
    OpenSettings();

    DropFiles(dialog_, {u"C:\\Musik\\a.wav", u"C:\\Musik\\b.mp3", u"C:\\Musik\\c.flac"});
    PumpUntil([] { return Track(2) != nullptr; });
    Track(1)->fields[kArtist].AssignText(u"AC/DC");
    Track(1)->fields[kAlbum].AssignText(u"Back in Black");
    Track(1)->fields[kTitle].AssignText(u"Hells Bells");
    Track(1)->fields[kTrackNumber].AssignText(u"1");
    Track(1)->setByUser = ~0u;  // tags read later leave these alone
    struct Row {
        std::vector<int> selected;
        std::u16string expected;
    };
    const Row rows[] = {
        {{1, 2}, u"D:\\MP3\\AC_DC\\Back in Black\\01 - Hells Bells.mp3"},
        {{}, u"D:\\MP3\\Unbekannt\\Unbekannt\\Unbekannt.mp3"},
    };
    for (const Row& row : rows) {
        SelectRows(dialog_, row.selected);
        std::vector<std::u16string> previews;
        SettingsVisit visit({[&](HWND dialog) {
            previews.push_back(ControlText(dialog, IDE_PREVIEW));
            SetText(dialog, IDE_NAME_PATTERN, u"<Interpret>\\<Album>\\<Nr> - <Titel>");
            previews.push_back(ControlText(dialog, IDE_PREVIEW));
            Click(dialog, IDO_OWN_FOLDER);
            SetText(dialog, IDE_OUTPUT_FOLDER, u"D:\\MP3");
            previews.push_back(ControlText(dialog, IDE_PREVIEW));
            SetText(dialog, IDE_NAME_PATTERN, u"<Interpret> <Disc>");
            previews.push_back(ControlText(dialog, IDE_PREVIEW));
            Click(dialog, IDCANCEL);
        }});
        OpenSettings();
        const bool second = !row.selected.empty();
        const std::vector<std::u16string> expected = {
            second ? u"C:\\Musik\\b.mp3.mp3" : u"C:\\Musik\\a.mp3",
            second ? u"C:\\Musik\\AC_DC\\Back in Black\\01 - Hells Bells.mp3.mp3"
                   : u"C:\\Musik\\Unbekannt\\Unbekannt\\Unbekannt.mp3",
            row.expected,
            u"Das Muster nennt ein unbekanntes Feld: <Disc> Bekannt sind <Interpret>, <Album>, "
            u"<Titel>, <Nr>, <Jahr>, <Genre> und <Quelldatei>.",
        };
        EXPECT_EQ(previews, expected);
    }
}

TEST_F(SettingsDialogTest, BadInputIsSaidAndNothingIsStored) {
    struct Row {
        const char* name;
        std::u16string folder;  // empty: "Neben der Quelle"
        std::u16string pattern;
        std::u16string message;
    };
    const std::u16string tooLong = u"C:\\" + std::u16string(kLongestOutputFolder - 2, u'x');
    const Row rows[] = {
        {"unknown field", u"", u"<Interpret> - <Künstler>",
         u"Das Muster nennt ein unbekanntes Feld: <Künstler>\r\nBekannt sind <Interpret>, "
         u"<Album>, <Titel>, <Nr>, <Jahr>, <Genre> und <Quelldatei>."},
        {"no name", u"", u"<Album>\\", u"Das Muster ergibt keinen Dateinamen."},
        {"no pattern", u"", u"", u"Das Muster ergibt keinen Dateinamen."},
        {"drive missing", u"Q:\\MP3", u"<Titel>", u"Das Laufwerk Q:\\ gibt es nicht."},
        {"folder too long", tooLong, u"<Titel>",
         u"Der Pfad des Ausgabeordners ist zu lang (höchstens 247 Zeichen)."},
        {"folder without drive", u"MP3", u"<Titel>",
         u"Bitte geben Sie den Ausgabeordner mit seinem Laufwerk an (zum Beispiel D:\\MP3)."},
        {"no folder", u" ", u"<Titel>", u"Bitte geben Sie den Ausgabeordner ein."},
        {"a folder's name ending in a dot", u"C:\\MP3.\\Auto", u"<Titel>",
         u"Bitte geben Sie den Ausgabeordner ohne Punkt oder Leerzeichen am Ende eines "
         u"Ordnernamens an (Windows lässt sie weg)."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageBoxRecorder boxes;
        bool stillOpen = false;
        SettingsVisit visit({[&](HWND dialog) {
                                 if (!row.folder.empty()) {
                                     Click(dialog, IDO_OWN_FOLDER);
                                     SetText(dialog, IDE_OUTPUT_FOLDER, row.folder);
                                 }
                                 SetText(dialog, IDE_NAME_PATTERN, row.pattern);
                                 PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                             },
                             [&](HWND dialog) {
                                 stillOpen = true;
                                 Click(dialog, IDCANCEL);
                             }});
        OpenSettings();
        ASSERT_EQ(boxes.Shown().size(), 1u);
        const ShownMessage& box = boxes.Shown()[0];
        EXPECT_EQ(PrintableText(box.text), PrintableText(row.message));
        EXPECT_EQ(box.caption, u"Tonschleuder");
        EXPECT_EQ(box.buttons, OkButtons());
        EXPECT_FALSE(box.hasIcon);
        EXPECT_EQ(box.owner, visit.Dialog());
        EXPECT_TRUE(stillOpen) << "the dialog stays open after the message";
        EXPECT_EQ(StoredText(L"Output-Name-Pattern"), u"<none>");
        EXPECT_EQ(StoredText(L"Output-Folder"), u"<none>");
    }
}

TEST_F(SettingsDialogTest, FolderPickerPutsTheChosenFolderIntoTheField) {
    // A folder at the drive's top: Wine's picker did not select the scratch folder under the
    // temporary folder (answered with the desktop instead).
    const std::u16string chosen = u"C:\\Tonschleuder-Ausgabe";
    ASSERT_TRUE(support::MakeFolders(chosen));
    std::u16string shown;
    SettingsVisit visit({[&](HWND dialog) {
                             Click(dialog, IDO_OWN_FOLDER);
                             PostMessageW(dialog, WM_COMMAND, IDB_CHOOSE_FOLDER, 0);
                         },
                         [&](HWND dialog) {
                             shown = ControlText(dialog, IDE_OUTPUT_FOLDER);
                             Click(dialog, IDOK);
                         }});
    visit.pickerAnswer = chosen;
    OpenSettings();
    EXPECT_TRUE(visit.pickerSeen);
    EXPECT_EQ(visit.pickerOwner, visit.Dialog());
    EXPECT_EQ(Utf8(shown), Utf8(chosen));
    EXPECT_EQ(Utf8(StoredText(L"Output-Folder")), Utf8(chosen));
    support::RemoveTree(chosen + u"\\");
}

// Values stored by hand, as another version or a user might leave them.
void StoreValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kKeyPath, &key), ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}
void StoreText(const wchar_t* name, const std::u16string& text, DWORD type = REG_SZ) {
    StoreValue(name, type, text.c_str(), DWORD((text.size() + 1) * 2));
}
void StoreSwitch(const wchar_t* name, DWORD value) {
    StoreValue(name, REG_DWORD, &value, sizeof(value));
}

TEST_F(SettingsDialogTest, StoredValuesThatCannotBeUsedCountAsNone) {
    struct Row {
        const char* name;
        std::function<void()> store;
        bool ownFolder;
        std::u16string folder, pattern;
        bool keep;
    };
    const Row rows[] = {
        {"all usable",
         [] {
             StoreSwitch(L"Output-Own-Folder", 1);
             StoreText(L"Output-Folder", u"C:\\MP3");
             StoreSwitch(L"Output-Keep-Source-Folders", 1);
             StoreText(L"Output-Name-Pattern", u"<Album>\\<Titel>");
         },
         true, u"C:\\MP3", u"<Album>\\<Titel>", true},
        {"unknown field in the pattern, folder without drive",
         [] {
             StoreSwitch(L"Output-Own-Folder", 1);
             StoreText(L"Output-Folder", u"MP3");
             StoreText(L"Output-Name-Pattern", u"<Disc>");
         },
         false, u"", u"<Quelldatei>", false},
        {"wrong types and a switch of 2",
         [] {
             StoreText(L"Output-Own-Folder", u"1");
             StoreText(L"Output-Folder", u"C:\\MP3", REG_EXPAND_SZ);
             StoreSwitch(L"Output-Keep-Source-Folders", 2);
             StoreSwitch(L"Output-Name-Pattern", 1);
         },
         false, u"", u"<Quelldatei>", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software");
        row.store();
        Reopen();
        const OutputSettings& read = OpenDialogState()->output;
        EXPECT_EQ(read.ownFolder, row.ownFolder);
        EXPECT_EQ(std::u16string(read.folder.Text()), row.folder);
        EXPECT_EQ(std::u16string(read.pattern.Text()), row.pattern);
        EXPECT_EQ(read.keepSourceFolders, row.keep);
    }
}

// Run by display_scale_test in a program start of its own at each scale: the dialog is made
// with its font at the display's size, not drawn at 96 DPI and stretched.
TEST(DISABLED_SettingsAtDisplayScale, DialogTakesItsFontAtTheDisplaysSize) {
    HWND main = OpenFreshDialog();
    LOGFONTW font{};
    SettingsVisit visit({[&](HWND dialog) {
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
        GetObjectW(handle, sizeof(font), &font);
        Click(dialog, IDCANCEL);
    }});
    SendMessageW(main, WM_SYSCOMMAND, IDM_SETTINGS, 0);
    PumpMessages();
    CloseDialog(main);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, int(ScreenDpi()), 72));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(font.lfFaceName)), u"Arial");
}

}  // namespace
