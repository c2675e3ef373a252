// The state of the main dialog: made when the dialog starts, held in its DWLP_USER slot,
// destroyed with it, and handed to every handler as its first argument. Handlers read and
// change nothing else but the controls behind the handles kept here.
#pragma once
#include <windows.h>

#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "sources/cover_picture.h"
#include "tracks/track_record.h"
#include "win/dpi_scale.h"
#include "win/output_settings.h"

constexpr int kTagFieldCount = kLastTag - kFirstTag + 1;
// Threads that read dropped files' tags, at the least: more start where the files call for them
// (two for a fixed disk, one for each share; sources/tag_queue_win.h).
constexpr int kTagReaderThreads = 1;
struct TagReader;
struct FolderListing;
// The controls that keep their distance from the right edge, and the buttons that keep
// theirs from the bottom edge, when the dialog is resized.
constexpr int kRightColumnCount = 32;
constexpr int kBottomRowCount = 3;

// Handles of the controls the handlers use, looked up once when the dialog starts: under Wine
// every lookup by id asks the wine server for the dialog's children.
struct DialogControls {
    HWND files = nullptr;
    HWND tagFields[kTagFieldCount] = {};  // "Künstler:" to "Genre:", in TrackRecord field order
    HWND mode = nullptr;
    HWND quality = nullptr;
    HWND bitrate = nullptr;
    HWND maxBitrate = nullptr;
    HWND preset = nullptr;
    HWND params = nullptr;
    HWND extraArguments = nullptr;
    HWND lamePath = nullptr;
    HWND id3v2 = nullptr;
    HWND id3v2Only = nullptr;
    HWND deleteOriginals = nullptr;
};

// The selected rows of the file list as of their last refresh, ascending.
struct SelectedRows {
    int* rows = nullptr;
    uint32_t count = 0;

    SelectedRows() = default;
    SelectedRows(const SelectedRows&) = delete;
    SelectedRows& operator=(const SelectedRows&) = delete;
    ~SelectedRows() { delete[] rows; }
};

// What the layout keeps from the dialog as created: the right column's distance from the right
// edge and the bottom row's from the bottom edge, and the handles it moves.
struct LayoutAnchors {
    bool recorded = false;
    int right = 0;
    int bottom = 0;
    HWND rightColumn[kRightColumnCount] = {};
    HWND bottomRow[kBottomRowCount] = {};
    HWND tagGroup = nullptr;
};

// The display scale the dialog is laid out for, and what was made for it.
struct DisplayScale {
    UINT dpi = kStandardDpi;
    // The list chose its row height once, at creation, for this DPI.
    UINT createdDpi = kStandardDpi;
    int createdRowHeight = 0;
    // The small icon loaded for the DPI, and the dialog font made for a DPI change (the
    // template's own font belongs to the dialog); both released with the dialog.
    HICON smallIcon = nullptr;
    HFONT scaledFont = nullptr;
};

// A run of "Batch (.hta) &speichern" under way. Its waits pump messages, so the dialog
// procedure sees these: it ignores commands and drops meanwhile, Escape or a close ends the
// wait for tags or pictures, and the window closes only once the run has returned.
struct SaveRun {
    bool running = false;
    bool waitingForTags = false;
    bool cancelled = false;
    bool closeAsked = false;
    // How long the wait goes on while no file is read before the user is asked.
    DWORD quietLimit = 10000;
    // Reads a source's embedded picture again for the cover files; null for
    // ReadEmbeddedCover (tests make the reading slow with it).
    bool (*readCover)(const char16_t* path, PictureBytes& picture) = nullptr;
};

struct DialogState {
    HWND dialog = nullptr;
    HINSTANCE instance = nullptr;
    DialogControls controls;
    // Owns the records, in the order of the file list's rows; each row's item data points to
    // the same record.
    PointerArray<TrackRecord> tracks;
    // The entries of the genre menu, in file order.
    PointerArray<WideString> genres;
    SelectedRows selection;
    // What the seven tag fields show and were last read as; position 0 holds the first
    // selected track's path after a selection change.
    TrackRecord tagValues;
    // True while the tag fields are being filled. Text set into the field that has the focus
    // (Ctrl+A pressed in a tag field) reports EN_CHANGE as typing does; applying then would
    // read fields still showing the previous selection and write them into the new one.
    bool showingTagValues = false;
    // Reads the tags of dropped files; started at the first drop, stopped with the dialog.
    TagReader* tagReader = nullptr;
    int tagReaderThreads = kTagReaderThreads;
    // The id the last dropped record got, and where the search for a result's record
    // starts (results mostly arrive in drop order).
    uint32_t lastTrackId = 0;
    uint32_t tagResultCursor = 0;
    SaveRun save;
    // Lists dropped folders; from such a drop until the last file found is a row.
    FolderListing* folderListing = nullptr;
    // Called on the listing's thread before each folder (sources/folder_listing_win.h); tests
    // make a folder slow with it.
    void (*folderVisit)(const char16_t* folder) = nullptr;
    WideString titleBeforeListing;
    uint32_t titleCount = UINT32_MAX;  // the count the title shows
    // Outer size of the dialog as created; the window never becomes smaller.
    SIZE minimumSize = {0, 0};
    LayoutAnchors anchors;
    DisplayScale scale;
    // Where the outputs go and what they are called: read at start, set by "Einstellungen".
    OutputSettings output;

    DialogState() = default;
    DialogState(const DialogState&) = delete;
    DialogState& operator=(const DialogState&) = delete;
};
