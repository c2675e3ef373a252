// The dropped tracks' tags: queued for the reader at the drop, taken into the records as they
// arrive (a launcher's save awaits them: launcher/tag_wait_win.h).
#pragma once
#include "tracks/dialog_state_win.h"

// Starts the reader at the first drop, with room for the drop's files.
void PrepareTagReading(DialogState& state, uint32_t files);
// Gives the record its id and queues its file.
void QueueTagsOfTrack(DialogState& state, TrackRecord& record);
// Lets the reader start on the tracks of a drop.
void StartReadingTags(DialogState& state);
// Takes every result that arrived into its record (if that record is still there), repaints
// the list and shows the selected tracks' new values.
void TakeArrivedTags(DialogState& state);
void StopReadingTags(DialogState& state);
