// Shared pieces of the track list GUI tests: a fresh dialog per test and the
// list-versus-array lockstep check.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/harness.h"
#include "resources/control_ids.h"

// The test track name "t<number>".
inline std::u16string Name(int i) {
    std::u16string text = Decimal(i);
    text.insert(text.begin(), u't');
    return text;
}

class TracksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
        list = GetDlgItem(dialog, IDL_FILES);
    }
    void TearDown() override { CloseDialog(dialog); }

    // Drops "t0" .. "t<n-1>" (names of two or more characters).
    void DropNumbered(int n) {
        std::vector<std::u16string> names;
        for (int i = 0; i < n; ++i) names.push_back(Name(i));
        DropFiles(dialog, names);
    }
    // The paths of the track array, in order.
    static std::vector<std::u16string> Paths() {
        std::vector<std::u16string> paths;
        for (int i = 0; Track(i) != nullptr; ++i)
            paths.emplace_back(Track(i)->fields[kPath].Text());
        return paths;
    }
    // Row i of the list carries track i of the array, and the counts agree.
    void ExpectLockstep() const {
        const int rows = ListCount(dialog);
        ASSERT_EQ(static_cast<uint32_t>(rows), OpenDialogState()->tracks.Count());
        for (int i = 0; i < rows; ++i) {
            const LRESULT data = SendMessageW(list, LB_GETITEMDATA, i, 0);
            ASSERT_EQ(reinterpret_cast<TrackRecord*>(data), Track(i)) << "row " << i;
        }
    }
    void ClickButton(int id) {
        SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        PumpMessages();
    }
    bool FieldEnabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

    HWND dialog = nullptr;
    HWND list = nullptr;
};
