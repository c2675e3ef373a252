#include "tracks/tag_editing_win.h"

#include "tracks/selection_win.h"
#include "tracks/tag_rules.h"
#include "win/control_text_win.h"
#include "win/utf16_cast.h"

namespace {

void ShowTagValues(DialogState& state) {
    state.showingTagValues = true;
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        SetWindowTextW(state.controls.tagFields[field - kFirstTag],
                       AsWide(state.tagValues.fields[field].Text()));
    }
    state.showingTagValues = false;
}

void ReadTagFields(DialogState& state) {
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        ReadField(state.controls.tagFields[field - kFirstTag], state.tagValues.fields[field]);
    }
}

}  // namespace

void EnableTagFields(const DialogState& state, bool enable) {
    for (HWND field : state.controls.tagFields) EnableWindow(field, enable);
}

void TakeSelectionChange(DialogState& state) {
    const int selected = RefreshSelectedIndices(state);
    if (selected <= 0) {
        EnableTagFields(state, false);
        return;
    }
    EnableTagFields(state, true);
    ComputeCommonValues(state.tracks, state.selection.rows, state.selection.count, state.tagValues);
    ShowTagValues(state);
}

void ShowChangedTagValues(DialogState& state) {
    if (state.selection.count == 0) return;
    TrackRecord shared;
    ComputeCommonValues(state.tracks, state.selection.rows, state.selection.count, shared);
    state.showingTagValues = true;
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        WideString& shown = state.tagValues.fields[field];
        if (CompareText(shown.Text(), shared.fields[field].Text()) == 0) continue;
        shown.Assign(shared.fields[field]);
        SetWindowTextW(state.controls.tagFields[field - kFirstTag], AsWide(shown.Text()));
    }
    state.showingTagValues = false;
}

void ApplyTagFields(DialogState& state) {
    if (state.showingTagValues) return;
    RefreshSelectedIndices(state);
    ReadTagFields(state);
    // The track array holds the rows' records in row order: no list query per record.
    WriteTagValues(state.tagValues, state.tracks, state.selection.rows, state.selection.count);
    InvalidateRect(state.controls.files, nullptr, FALSE);
}
