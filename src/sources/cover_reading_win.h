// The save's reading of embedded pictures again, on a thread of its own, so that a share
// that stalls after the drop keeps the dialog answering: the save waits for it in its
// message loop (launcher/tag_wait_win.h) and may end it.
#pragma once
#include <windows.h>

#include "foundation/wide_string.h"
#include "sources/cover_picture.h"

// Reads a file's embedded picture; ReadEmbeddedCover, or a test's slow stand-in.
using CoverFileReader = bool (*)(const char16_t* path, PictureBytes& picture);

struct CoverReading;

// An empty set of pictures to read; null when memory ran out.
CoverReading* NewCoverReading(CoverFileReader read);
// Adds a picture, known by its hash, to read from the first of its sources that still holds
// it; its number (from 0) is the count of pictures added before. False when memory ran out.
bool AddCoverPicture(CoverReading& reading, uint64_t hash);
// Adds a file that holds the last picture added (a copy of its characters).
bool AddCoverSource(CoverReading& reading, const WideString& path);
// Starts the thread; false when it could not start (nothing is read then).
bool StartCoverReading(CoverReading& reading);
// How many pictures are done (read or not found) of how many; done when the two are equal or
// the thread has ended.
void CountCoverPictures(CoverReading& reading, uint32_t& done, uint32_t& count);
bool IsCoverReadingDone(CoverReading& reading);
// Moves the picture's bytes out when it was read; false when it was not (yet).
bool TakeCoverPicture(CoverReading& reading, uint32_t picture, PictureBytes& bytes);
// Ends the reading and frees it; a thread still in a file frees it when it returns.
void EndCoverReading(CoverReading* reading);
