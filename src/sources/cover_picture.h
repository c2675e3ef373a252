// A track's cover picture: which bytes count as a picture the encoder takes, and which image
// of a folder is its album's cover. Platform-free; the library that finds a file's embedded
// picture is met in source_tags_taglib.cpp, the folder in folder_cover_win.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/wide_string.h"

// Larger pictures are not passed on: one picture in each of an album's MP3s, and a picture of
// several megabytes in every track is what users complain about.
constexpr uint32_t kCoverMaxBytes = 1024 * 1024;

enum class PictureKind : uint8_t { kNone, kJpeg, kPng, kGif };

// JPEG, PNG or GIF judged from the bytes: the signature and the marks of a whole file (a JPEG
// starts FF D8 FF and ends with its EOI marker FF D9, zero padding after it allowed; a PNG has
// its signature, the IHDR chunk first and the IEND chunk last; a GIF starts "GIF87a" or
// "GIF89a" and ends with its trailer 0x3B), at most kCoverMaxBytes. kNone for anything else:
// empty, truncated, a "PNG" that is none, too large. The encoder aborts on a picture it does
// not take, so only these three are passed.
PictureKind JudgePicture(const unsigned char* data, size_t size);

// 64-bit FNV-1a of the bytes: tracks with the same picture share one picture file.
uint64_t PictureHash(const unsigned char* data, size_t size);

// u".jpg", u".png" or u".gif"; empty for kNone.
const char16_t* PictureExtension(PictureKind kind);

// A picture's bytes, owned (at most kCoverMaxBytes of them).
struct PictureBytes {
    std::unique_ptr<unsigned char[]> data;
    uint32_t size = 0;
};

// The longest name ChooseFolderCover takes ("folder.jpeg"): a folder's longer names need not
// be collected.
constexpr uint32_t kFolderCoverNameMaxLength = 11;

// Of a folder's file names, the album's cover: "cover", "folder", "front" (in that order),
// each with ".jpg", ".jpeg", ".png" (in that order), in any letter case; -1 when there is
// none. No other image is taken ("scan.jpg", "cover.bmp", "cover (2).jpg", "mycover.jpg").
// An empty name is never taken: where a chosen image's bytes are no picture, the caller
// empties that name and asks again for the next candidate.
int ChooseFolderCover(const WideString* names, size_t count);
