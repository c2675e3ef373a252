// The Lame.exe path in the private Wine prefix's registry: what is read back at
// start, and what a store writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings_win.h"
#include "gui/harness.h"
#include "resources/control_ids.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Morgenfeld-Software\\Tonschleuder\\1.0";

void StoreRaw(DWORD type, const std::vector<BYTE>& data) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kKeyPath, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"Lame-Path", 0, type, data.data(),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
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
    const std::u16string longest = PathOfLength(259);
    const std::u16string tooLong = PathOfLength(260);
    const Row rows[] = {
        {"plain REG_SZ", REG_SZ, u"D:\\Tools\\lame.exe", true, u"D:\\Tools\\lame.exe"},
        {"stored without terminator", REG_SZ, u"D:\\lame.exe", false, u"D:\\lame.exe"},
        {"REG_EXPAND_SZ is ignored", REG_EXPAND_SZ, u"%ProgramFiles%\\lame.exe", true,
         u"Lame.exe"},
        {"259 characters are read whole", REG_SZ, longest, true, longest},
        {"260 characters do not fit", REG_SZ, tooLong, true, u"Lame.exe"},
        {"empty value", REG_SZ, u"", true, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morgenfeld-Software");
        StoreRaw(row.type, BytesOf(row.stored, row.terminator));
        EXPECT_EQ(ShownPath(), row.shown);
        CloseDialog(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(Settings, NoKeyShowsLameExe) { EXPECT_EQ(ShownPath(), u"Lame.exe"); }

TEST_F(Settings, StoreWritesTheTextWithItsTerminatorAndCreatesMissingKeys) {
    WideString path;
    path.AssignText(u"D:\\Werkzeug\\lame.exe");
    StoreLamePath(path);

    HKEY key;
    ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, kKeyPath, &key), ERROR_SUCCESS);
    wchar_t buffer[64] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    ASSERT_EQ(RegQueryValueExW(key, L"Lame-Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                               &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, (path.Length() + 1) * 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer)), u"D:\\Werkzeug\\lame.exe");
    EXPECT_EQ(ShownPath(), u"D:\\Werkzeug\\lame.exe");
}

}  // namespace
