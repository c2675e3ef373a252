// Which bytes pass as a cover picture, and which of a folder's images is its album's cover.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tagged_files.h"
#include "support/wide_text.h"
#include "sources/cover_picture.h"

namespace {

TEST(CoverPicture, OnlyWholePicturesWithinTheLimitPass) {
    const std::string jpeg = MakeJpeg(600);
    const std::string png = MakePng(600);
    const struct Row {
        const char* what;
        std::string bytes;
        PictureKind kind;
    } rows[] = {
        {"JPEG", jpeg, PictureKind::kJpeg},
        {"JPEG padded with zeros after its end", jpeg + std::string(40, '\0'), PictureKind::kJpeg},
        {"truncated JPEG", jpeg.substr(0, 300), PictureKind::kNone},
        {"JPEG marks that overlap", std::string("\xFF\xD8\xFF\xD9", 4), PictureKind::kNone},
        {"PNG", png, PictureKind::kPng},
        {"PNG signature before a JPEG", png.substr(0, 8) + jpeg, PictureKind::kNone},
        {"PNG without its IEND", png.substr(0, 580), PictureKind::kNone},
        {"GIF89a", MakeGif(600), PictureKind::kGif},
        {"GIF87a", "GIF87a" + MakeGif(600).substr(6), PictureKind::kGif},
        {"GIF without its trailer", MakeGif(600).substr(0, 599), PictureKind::kNone},
        {"BMP", "BM" + std::string(100, 'x'), PictureKind::kNone},
        {"JPEG of 1 MB", MakeJpeg(kCoverMaxBytes), PictureKind::kJpeg},
        {"JPEG of 1 MB + 1", MakeJpeg(kCoverMaxBytes + 1), PictureKind::kNone},
        {"empty", "", PictureKind::kNone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const auto* data = reinterpret_cast<const unsigned char*>(row.bytes.data());
        EXPECT_EQ(row.kind, JudgePicture(data, row.bytes.size()));
    }
    EXPECT_EQ(PictureKind::kNone, JudgePicture(nullptr, 600));
}

TEST(CoverPicture, FolderCoverByNameAndOrder) {
    const struct Row {
        const char* what;
        std::vector<std::u16string> names;
        int chosen;
    } rows[] = {
        {"any letter case", {u"01 Track.wav", u"Cover.JPG"}, 1},
        {"folder in capitals, before front", {u"FOLDER.jpeg", u"front.png"}, 0},
        {"cover before folder before front", {u"front.jpg", u"folder.jpg", u"cOVER.png"}, 2},
        {"folder before front", {u"front.jpg", u"Folder.png"}, 1},
        {".jpg before .jpeg before .png", {u"cover.png", u"cover.jpeg", u"cover.jpg"}, 2},
        {"no other image",
         {u"scan.jpg", u"cover.bmp", u"cover (2).jpg", u"mycover.jpg", u"cover.jpg.txt", u"cover",
          u"covers.jpg"},
         -1},
        {"a name emptied by the caller is passed over", {u"", u"front.png"}, 1},
        {"no names", {}, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<WideString> names;
        for (const std::u16string& name : row.names) names.push_back(Wide(name.c_str()));
        EXPECT_EQ(row.chosen, ChooseFolderCover(names.data(), names.size()));
    }
}

}  // namespace
