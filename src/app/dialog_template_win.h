// The main dialog's template as the resource holds it: its font size, its size and each
// control's rectangle in dialog units, in the order the controls were created.
#pragma once
#include <windows.h>

struct TemplateControl {
    int id;
    RECT units;  // left, top, right, bottom in dialog units
};

struct DialogTemplateLayout {
    static constexpr int kMostControls = 64;
    int pointSize;
    SIZE units;  // the client area in dialog units
    int count;
    TemplateControl controls[kMostControls];
};

// Reads an extended dialog template (DIALOGEX with a font); false for any other or a
// damaged one.
bool ReadDialogTemplate(HINSTANCE instance, int templateId, DialogTemplateLayout& layout);
