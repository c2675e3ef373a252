#include "outputs/windows_names.h"

#include "foundation/text.h"

char16_t CleanUnit(char16_t unit) {
    if (unit < 0x20) return u'_';
    switch (unit) {
        case u'\\':
        case u'/':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            return u'_';
        default:
            return unit;
    }
}

namespace {

// Device names Windows keeps for itself, also before an extension.
bool IsDeviceName(const char16_t* name, uint32_t length) {
    static const char16_t* const kPlain[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
    for (const char16_t* device : kPlain) {
        if (TextLength(device) != length) continue;
        uint32_t i = 0;
        while (i < length && FoldAscii(name[i]) == device[i]) ++i;
        if (i == length) return true;
    }
    if (length != 4) return false;
    const char16_t first = FoldAscii(name[0]), second = FoldAscii(name[1]),
                   third = FoldAscii(name[2]);
    const bool com = first == u'C' && second == u'O' && third == u'M';
    const bool lpt = first == u'L' && second == u'P' && third == u'T';
    const char16_t digit = name[3];
    return (com || lpt) && ((digit >= u'0' && digit <= u'9') || digit == u'\u00B9' ||
                            digit == u'\u00B2' || digit == u'\u00B3');
}

}  // namespace

uint32_t DeviceNameLength(const char16_t* part, uint32_t length) {
    uint32_t end = 0;
    while (end < length && part[end] != u'.') ++end;
    uint32_t name = end;
    while (name > 0 && IsBlank(part[name - 1])) --name;
    return IsDeviceName(part, name) ? name : 0;
}
