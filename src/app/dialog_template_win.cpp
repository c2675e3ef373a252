#include "app/dialog_template_win.h"

namespace {

// Walks the words of a template, never past its end.
struct TemplateReader {
    const BYTE* at;
    const BYTE* end;

    bool Skip(size_t bytes) {
        if (static_cast<size_t>(end - at) < bytes) return false;
        at += bytes;
        return true;
    }
    bool Word(WORD& value) {
        if (end - at < 2) return false;
        value = static_cast<WORD>(at[0] | (at[1] << 8));
        at += 2;
        return true;
    }
    bool Short(int& value) {
        WORD word;
        if (!Word(word)) return false;
        value = static_cast<short>(word);
        return true;
    }
    bool Dword(DWORD& value) {
        WORD low, high;
        if (!Word(low) || !Word(high)) return false;
        value = MAKELONG(low, high);
        return true;
    }
    // A NUL-terminated name, or 0xFFFF and an ordinal.
    bool SkipNameOrOrdinal() {
        WORD word;
        if (!Word(word)) return false;
        if (word == 0xFFFF) return Word(word);
        while (word != 0) {
            if (!Word(word)) return false;
        }
        return true;
    }
    bool AlignToDword(const BYTE* start) {
        const size_t offset = static_cast<size_t>(at - start);
        return Skip((4 - offset % 4) % 4);
    }
    bool Rect(RECT& units) {
        int x, y, cx, cy;
        if (!Short(x) || !Short(y) || !Short(cx) || !Short(cy)) return false;
        units = {x, y, x + cx, y + cy};
        return true;
    }
};

}  // namespace

bool ReadDialogTemplate(HINSTANCE instance, int templateId, DialogTemplateLayout& layout) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* start = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!start) return false;
    TemplateReader reader{start, start + SizeofResource(instance, found)};

    WORD version, signature, count, weight;
    DWORD help, exStyle, style;
    RECT dialogUnits;
    if (!reader.Word(version) || !reader.Word(signature) || version != 1 || signature != 0xFFFF ||
        !reader.Dword(help) || !reader.Dword(exStyle) || !reader.Dword(style) ||
        !reader.Word(count) || !reader.Rect(dialogUnits) || !(style & DS_SETFONT) ||
        count > DialogTemplateLayout::kMostControls) {
        return false;
    }
    // Menu, class and caption, then the font: size, weight, italic and character set, face.
    if (!reader.SkipNameOrOrdinal() || !reader.SkipNameOrOrdinal() || !reader.SkipNameOrOrdinal() ||
        !reader.Short(layout.pointSize) || !reader.Word(weight) || !reader.Skip(2) ||
        !reader.SkipNameOrOrdinal()) {
        return false;
    }
    layout.units = {dialogUnits.right - dialogUnits.left, dialogUnits.bottom - dialogUnits.top};
    layout.count = count;
    for (int i = 0; i < count; ++i) {
        TemplateControl& control = layout.controls[i];
        DWORD id;
        WORD extra;
        if (!reader.AlignToDword(start) || !reader.Dword(help) || !reader.Dword(exStyle) ||
            !reader.Dword(style) || !reader.Rect(control.units) || !reader.Dword(id) ||
            !reader.SkipNameOrOrdinal() || !reader.SkipNameOrOrdinal() || !reader.Word(extra) ||
            !reader.Skip(extra)) {
            return false;
        }
        control.id = static_cast<int>(id);
    }
    return true;
}
