// The tag reader: threads that read dropped files' tags while the dialog goes on. The dialog
// thread hands each job a path copy of its own (a WideString's reference count is not
// atomic, so no string the dialog owns is ever touched by a reading thread) and takes the
// results back in a batch when the posted notification arrives.
#pragma once
#include <windows.h>

#include "foundation/pointer_array.h"
#include "sources/tag_reading_win.h"

struct TagReader;

// Starts the given number of reading threads (at least one); null when none could start.
// Each volume or share (a drive letter, or \\server\share) is read by one thread at a time,
// in queue order: a file stalled on one holds back only that one's later files.
TagReader* StartTagReader(HWND notify, int threads);
// Stops the threads once each has finished its current file and frees what is left; a
// thread stuck in a file for seconds is left to the process's end, with the reader.
void StopTagReader(TagReader* reader);

// How many threads read one fixed disk at once from now on (1 to kLocalDiskReaders).
void SetDiskReaders(TagReader& reader, int readers);
// Hands the folder cover cache the names a folder listing found that could be the folder's
// cover (KnowFolderCoverNames), ahead of the folder's files.
void KnowFolderCoverNames(TagReader& reader, const char16_t* folder, uint32_t length,
                          const char16_t* names);
// Queues the reading of a file for the record with the given id; false when memory ran out.
bool QueueTagJob(TagReader& reader, uint32_t id, const WideString& path);
// Room for that many further jobs in one growth (a drop's names).
void ReserveTagJobs(TagReader& reader, uint32_t more);
// Lets the threads start on what was queued.
void WakeTagReader(TagReader& reader);
// Moves every result that arrived into results (the caller owns them then).
void TakeTagResults(TagReader& reader, PointerArray<TagResult>& results);
// True when no job waits and none is being read: every result is in.
bool IsTagReaderIdle(TagReader& reader);
// How many of the jobs queued since the reader was last idle are read; both 0 when idle.
void CountTagJobs(TagReader& reader, uint32_t& read, uint32_t& queued);
// The ids of the jobs not yet read, in queue order, in an array the caller frees with
// delete[]; yields their number (0, with ids null, when none or memory ran out).
uint32_t ListUnreadTagJobs(TagReader& reader, uint32_t*& ids);

// Reads each further file with this function instead of ReadSourceTags, and gives a thread
// up after patience ms in one file instead of 5 s: tests make the reading slow with it.
void UseTagFileReader(TagReader& reader, TagFileReader read, DWORD patience = 5000);
