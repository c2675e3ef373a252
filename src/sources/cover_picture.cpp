#include "sources/cover_picture.h"

#include <cstring>

#include "foundation/byte_hash.h"

namespace {

bool StartsWith(const unsigned char* data, size_t size, const char* mark, size_t length) {
    return size >= length && std::memcmp(data, mark, length) == 0;
}

bool EndsWith(const unsigned char* data, size_t size, const char* mark, size_t length) {
    return size >= length && std::memcmp(data + size - length, mark, length) == 0;
}

bool IsWholeJpeg(const unsigned char* data, size_t size) {
    if (!StartsWith(data, size, "\xFF\xD8\xFF", 3)) return false;
    // Some writers pad a JPEG with zeros after its end marker.
    while (size > 3 && data[size - 1] == 0) --size;
    return size >= 5 && EndsWith(data, size, "\xFF\xD9", 2);
}

bool IsWholePng(const unsigned char* data, size_t size) {
    // The signature, then the IHDR chunk (length 13), ..., then the empty IEND chunk with its CRC.
    constexpr size_t kSmallest = 8 + 25 + 12;
    return size >= kSmallest && StartsWith(data, size, "\x89PNG\r\n\x1A\n", 8) &&
           std::memcmp(data + 8, "\0\0\0\x0DIHDR", 8) == 0 &&
           EndsWith(data, size, "\0\0\0\0IEND\xAE\x42\x60\x82", 12);
}

bool IsWholeGif(const unsigned char* data, size_t size) {
    // The header, the logical screen descriptor, ..., the trailer.
    constexpr size_t kSmallest = 6 + 7 + 1;
    return size >= kSmallest &&
           (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) &&
           data[size - 1] == 0x3B;
}

char16_t LowerAscii(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

// Whether the name is stem + extension, ASCII letters in any case.
bool IsNamed(const WideString& name, const char16_t* stem, const char16_t* extension) {
    const char16_t* unit = name.Text();
    for (const char16_t* part : {stem, extension}) {
        for (; *part != u'\0'; ++part, ++unit) {
            if (LowerAscii(*unit) != *part) return false;
        }
    }
    return *unit == u'\0';
}

}  // namespace

PictureKind JudgePicture(const unsigned char* data, size_t size) {
    if (data == nullptr || size == 0 || size > kCoverMaxBytes) return PictureKind::kNone;
    if (IsWholeJpeg(data, size)) return PictureKind::kJpeg;
    if (IsWholePng(data, size)) return PictureKind::kPng;
    if (IsWholeGif(data, size)) return PictureKind::kGif;
    return PictureKind::kNone;
}

uint64_t PictureHash(const unsigned char* data, size_t size) {
    return HashOfBytes(data, size);
}

const char16_t* PictureExtension(PictureKind kind) {
    switch (kind) {
        case PictureKind::kJpeg:
            return u".jpg";
        case PictureKind::kPng:
            return u".png";
        case PictureKind::kGif:
            return u".gif";
        case PictureKind::kNone:
            break;
    }
    return u"";
}

int ChooseFolderCover(const WideString* names, size_t count) {
    static const char16_t* const kStems[] = {u"cover", u"folder", u"front"};
    static const char16_t* const kExtensions[] = {u".jpg", u".jpeg", u".png"};
    for (const char16_t* stem : kStems) {
        for (const char16_t* extension : kExtensions) {
            for (size_t i = 0; i < count; ++i) {
                if (IsNamed(names[i], stem, extension)) return static_cast<int>(i);
            }
        }
    }
    return -1;
}
