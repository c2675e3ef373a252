// The Lame.exe path in the private Wine prefix's registry: what is read back at
// start, and what a store writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/lame_path_setting_win.h"
#include "gui/harness.h"
#include "resources/control_ids.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0";

void StoreRaw(DWORD type, const std::vector<BYTE>& data) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kKeyPath, &key), ERROR_SUCCESS);
    // Wine counts a terminator in when a null unit follows the string data in memory, so
    // a non-null unit follows it here: the value holds exactly these bytes.
    std::vector<BYTE> padded = data;
    padded.insert(padded.end(), {0xFF, 0xFF});
    ASSERT_EQ(
        RegSetValueExW(key, L"Lame-Path", 0, type, padded.data(), static_cast<DWORD>(data.size())),
        ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"Lame-Path", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    ASSERT_EQ(size, data.size());
    RegCloseKey(key);
}

std::vector<BYTE> BytesOf(const std::u16string& text, bool withTerminator) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    size_t size = (text.size() + (withTerminator ? 1 : 0)) * sizeof(char16_t);
    return std::vector<BYTE>(bytes, bytes + size);
}

std::u16string PathOfLength(size_t length) {
    std::u16string path = u"C:\\";
    while (path.size() < length - 4) path += u'x';
    path += u".exe";
    return path;
}

class Settings : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software"); }
    void TearDown() override {
        if (dialog_) CloseDialog(dialog_);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software");
    }
    std::u16string ShownPath() {
        dialog_ = OpenFreshDialog();
        return ControlText(dialog_, IDE_LAME_PATH);
    }
    HWND dialog_ = nullptr;
};

TEST_F(Settings, ReadsWhatIsStoredOrFallsBackToLameExe) {
    struct Row {
        const char* name;
        DWORD type;
        std::u16string stored;
        bool terminator;
        std::u16string shown;
    };
    // A path may be as long as Windows allows (32,767 units); the chooser offers that much.
    const std::u16string path260 = PathOfLength(260);
    const std::u16string path1000 = PathOfLength(1000);
    const std::u16string longest = PathOfLength(32767);
    const std::u16string tooLong = PathOfLength(32768);
    const Row rows[] = {
        {"plain REG_SZ", REG_SZ, u"D:\\Tools\\lame.exe", true, u"D:\\Tools\\lame.exe"},
        {"stored without terminator", REG_SZ, u"D:\\lame.exe", false, u"D:\\lame.exe"},
        {"text ends at its first null", REG_SZ, std::u16string(u"D:\\a.exe\0rest", 13), true,
         u"D:\\a.exe"},
        {"REG_EXPAND_SZ is ignored", REG_EXPAND_SZ, u"%ProgramFiles%\\lame.exe", true, u"Lame.exe"},
        {"260 characters are read whole", REG_SZ, path260, true, path260},
        {"1000 characters are read whole", REG_SZ, path1000, true, path1000},
        {"1000 characters without terminator", REG_SZ, path1000, false, path1000},
        {"32767 characters are read whole", REG_SZ, longest, true, longest},
        {"32767 characters without terminator", REG_SZ, longest, false, longest},
        {"32768 characters are longer than any path", REG_SZ, tooLong, true, u"Lame.exe"},
        {"32768 characters without terminator", REG_SZ, tooLong, false, u"Lame.exe"},
        {"empty value", REG_SZ, u"", true, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software");
        StoreRaw(row.type, BytesOf(row.stored, row.terminator));
        // Long paths are compared by head and length, so a failure stays readable.
        const std::u16string shown = ShownPath();
        EXPECT_EQ(shown.substr(0, 40), row.shown.substr(0, 40));
        EXPECT_EQ(shown.size(), row.shown.size());
        EXPECT_TRUE(shown == row.shown);
        CloseDialog(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(Settings, NoKeyShowsLameExe) {
    EXPECT_EQ(ShownPath(), u"Lame.exe");
}

TEST_F(Settings, StoreWritesTheTextWithItsTerminatorAndCreatesMissingKeys) {
    WideString path;
    path.AssignText(u"D:\\Werkzeug\\lame.exe");
    StoreLamePathSetting(path);

    HKEY key;
    ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, kKeyPath, &key), ERROR_SUCCESS);
    wchar_t buffer[64] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    ASSERT_EQ(
        RegQueryValueExW(key, L"Lame-Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, (path.Length() + 1) * 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer)), u"D:\\Werkzeug\\lame.exe");
    EXPECT_EQ(ShownPath(), u"D:\\Werkzeug\\lame.exe");
}

}  // namespace
