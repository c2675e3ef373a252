// What Windows reads from the built program file: its manifest and its version information.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "gui/harness.h"

namespace {

const wchar_t kProgramFile[] = L"" TONSCHLEUDER_EXE_PATH;

std::string ManifestOfProgramFile() {
    HMODULE module = LoadLibraryExW(kProgramFile, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return std::string();
    std::string text;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes) text.assign(static_cast<const char*>(bytes), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

TEST(ProgramFile, ManifestDeclaresDpiAwarenessLongPathsAndTheSupportedSystems) {
    const std::string manifest = ManifestOfProgramFile();
    ASSERT_FALSE(manifest.empty());
    const char* const expected[] = {
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm"
        "</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
        "PerMonitorV2, PerMonitor</dpiAwareness>",
        "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true"
        "</longPathAware>",
        "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">",
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // Windows 10 and 11
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // Windows 8.1
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // Windows 8
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // Windows 7
    };
    for (const char* element : expected) {
        EXPECT_NE(manifest.find(element), std::string::npos) << element;
    }
    // The settings only count inside the asm.v3 application element.
    const size_t application =
        manifest.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">");
    ASSERT_NE(application, std::string::npos);
    EXPECT_LT(application, manifest.find("<dpiAware "));
    EXPECT_GT(manifest.find("</application>", application), manifest.find("<longPathAware "));
}

TEST(ProgramFile, ManifestTakesEffect) {
    // The test program carries the same manifest as the program: the loader made it
    // per-monitor aware and gave it version 6 of the common controls.
    using GetContext = HANDLE(WINAPI*)();
    using AwarenessOf = int(WINAPI*)(HANDLE);
    const auto getContext = User32Function<GetContext>("GetThreadDpiAwarenessContext");
    const auto awarenessOf = User32Function<AwarenessOf>("GetAwarenessFromDpiAwarenessContext");
    ASSERT_TRUE(getContext && awarenessOf);
    EXPECT_EQ(awarenessOf(getContext()), 2);  // DPI_AWARENESS_PER_MONITOR_AWARE
}

std::wstring VersionString(const std::vector<char>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040704b0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return L"<none>";
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

TEST(ProgramFile, VersionInformationNamesTheProductInGerman) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(kProgramFile, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(kProgramFile, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(6, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(6, 1));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0407);  // German (Germany)
    EXPECT_EQ(translation[1], 1200);    // UTF-16

    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } fields[] = {
        {L"ProductName", L"Tonschleuder"},
        {L"CompanyName", L"Morgenfeld-Software"},
        {L"FileVersion", L"1.6"},
        {L"ProductVersion", L"1.6"},
        {L"OriginalFilename", L"tonschleuder.exe"},
        {L"FileDescription", L"Tonschleuder: Batch-Aufrufe f\u00fcr Lame.exe"},
    };
    for (const auto& field : fields) {
        EXPECT_EQ(VersionString(block, field.name), field.value) << field.name;
    }
}

}  // namespace
