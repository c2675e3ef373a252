#include "win/registry_win.h"

namespace {

// Rounds of asking the size again when the value grew between asking and reading.
constexpr int kReadRounds = 4;

bool ReadWhole(HKEY key, const wchar_t* name, uint32_t mostUnits, WideString& text) {
    const uint64_t mostBytes = (uint64_t(mostUnits) + 1) * sizeof(char16_t);
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    for (int round = 0; round < kReadRounds; ++round) {
        if (result != ERROR_SUCCESS || type != REG_SZ || size > mostBytes) return false;
        // One unit more than the data fills (PrepareBuffer adds it), so data stored
        // without a terminator still ends inside the buffer.
        if (!text.PrepareBuffer(size / sizeof(char16_t))) return false;
        DWORD read = size;
        result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.Buffer()),
                                  &read);
        if (result == ERROR_MORE_DATA) {
            result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
            continue;
        }
        if (result != ERROR_SUCCESS || type != REG_SZ) return false;
        text.Buffer()[read / sizeof(char16_t)] = u'\0';
        text.Truncate(TextLength(text.Text()));  // ends at its first null, as stored text does
        return text.Length() <= mostUnits;
    }
    return false;
}

}  // namespace

bool ReadRegistryText(HKEY key, const wchar_t* name, uint32_t mostUnits, WideString& text) {
    if (ReadWhole(key, name, mostUnits, text)) return true;
    text.Clear();
    return false;
}
