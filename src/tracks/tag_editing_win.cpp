#include "tracks/tag_editing_win.h"

#include "app/shell_win.h"
#include "resources/control_ids.h"
#include "tracks/selection_win.h"
#include "tracks/tag_rules.h"
#include "tracks/track_record.h"

namespace {
// The seven tag fields, in field order (positions 1 to 7 of a TrackRecord).
constexpr int kTagFieldIds[] = {IDE_ARTIST, IDE_ALBUM,        IDE_TITLE, IDE_COMMENT,
                                IDE_YEAR,   IDE_TRACK_NUMBER, IDE_GENRE};
static_assert(sizeof(kTagFieldIds) / sizeof(kTagFieldIds[0]) == kLastTag - kFirstTag + 1);

// What the seven fields show and were last read as; position 0 holds the first
// selected track's path after a selection change.
TrackRecord g_tagValues;

// True while the fields are being filled. Text set into the field that has the focus (Ctrl+A
// pressed in a tag field) reports EN_CHANGE as typing does; applying then would read fields
// still showing the previous selection and write them into the new one.
bool g_showingValues = false;

void ShowTagValues() {
    g_showingValues = true;
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        SetDlgItemTextW(MainWindow(), kTagFieldIds[field - kFirstTag],
                        AsWide(g_tagValues.fields[field].Text()));
    }
    g_showingValues = false;
}

void ReadTagFields() {
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        ReadField(kTagFieldIds[field - kFirstTag], g_tagValues.fields[field]);
    }
}
}  // namespace

uint32_t ReadField(int controlId, WideString& text) {
    HWND control = GetDlgItem(MainWindow(), controlId);
    const int length = GetWindowTextLengthW(control);
    if (length <= 0 || !text.PrepareBuffer(static_cast<uint32_t>(length))) {
        text.Clear();
        return length > 0 ? static_cast<uint32_t>(length) : 0;
    }
    GetWindowTextW(control, AsWide(text.Buffer()), length + 1);
    TrimBlanks(text.Buffer());
    return static_cast<uint32_t>(length);
}

void EnableTagFields(bool enable) {
    for (int id : kTagFieldIds) EnableWindow(GetDlgItem(MainWindow(), id), enable);
}

void TakeSelectionChange() {
    const int selected = RefreshSelectedIndices();
    if (selected <= 0) {
        EnableTagFields(false);
        return;
    }
    EnableTagFields(true);
    ComputeCommonValues(TrackArray(), SelectedIndices(), SelectedIndexCount(), g_tagValues);
    ShowTagValues();
}

void ApplyTagFields() {
    if (g_showingValues) return;
    RefreshSelectedIndices();
    ReadTagFields();
    // The track array holds the rows' records in row order: no list query per record.
    WriteTagValues(g_tagValues, TrackArray(), SelectedIndices(), SelectedIndexCount());
    InvalidateRect(GetDlgItem(MainWindow(), IDL_FILES), nullptr, FALSE);
}

void ResetTagEditing() {
    ForgetSelectedIndices();
    for (WideString& value : g_tagValues.fields) value.Clear();
}
