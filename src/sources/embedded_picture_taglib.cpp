// The picture a file carries, chosen among its tag's pictures by its kind of file.
#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include "sources/cover_picture.h"
#include "sources/taglib_edge.h"

namespace {

// The picture TagLib holds, as JudgePicture sees it.
PictureKind JudgeBytes(const TagLib::ByteVector& bytes) {
    return JudgePicture(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// Of an ID3v2 tag's APIC frames, the front covers first, then the others, each in the tag's
// order: the first that is a picture; empty when none is. (TagLib's bytes are shared, never
// copied, until one is taken.)
TagLib::ByteVector ChooseId3v2Picture(const TagLib::ID3v2::Tag* tag) {
    if (tag == nullptr) return TagLib::ByteVector();
    const TagLib::ID3v2::FrameList& frames = tag->frameList("APIC");
    for (const bool front : {true, false}) {
        for (const TagLib::ID3v2::Frame* frame : frames) {
            const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
            if (picture == nullptr ||
                (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) != front)
                continue;
            const TagLib::ByteVector bytes = picture->picture();
            if (JudgeBytes(bytes) != PictureKind::kNone) return bytes;
        }
    }
    return TagLib::ByteVector();
}

// FLAC's PICTURE blocks and an Ogg stream's METADATA_BLOCK_PICTURE comments, by the same rule.
TagLib::ByteVector ChooseFlacPicture(const TagLib::List<TagLib::FLAC::Picture*>& pictures) {
    for (const bool front : {true, false}) {
        for (const TagLib::FLAC::Picture* picture : pictures) {
            if ((picture->type() == TagLib::FLAC::Picture::FrontCover) != front) continue;
            const TagLib::ByteVector bytes = picture->data();
            if (JudgeBytes(bytes) != PictureKind::kNone) return bytes;
        }
    }
    return TagLib::ByteVector();
}

// An MP4's covr items carry no picture type: the first that is a picture.
TagLib::ByteVector ChooseCoverArt(const TagLib::MP4::Tag* tag) {
    if (tag == nullptr || !tag->contains("covr")) return TagLib::ByteVector();
    for (const TagLib::MP4::CoverArt& art : tag->item("covr").toCoverArtList()) {
        const TagLib::ByteVector bytes = art.data();
        if (JudgeBytes(bytes) != PictureKind::kNone) return bytes;
    }
    return TagLib::ByteVector();
}

}  // namespace

// The file's cover picture, by its kind of file; empty when it carries none JudgePicture
// takes.
TagLib::ByteVector ChoosePicture(TagLib::File& file) {
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file))
        return mpeg->hasID3v2Tag() ? ChooseId3v2Picture(mpeg->ID3v2Tag()) : TagLib::ByteVector();
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file))
        return wav->hasID3v2Tag() ? ChooseId3v2Picture(wav->ID3v2Tag()) : TagLib::ByteVector();
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(&file))
        return aiff->hasID3v2Tag() ? ChooseId3v2Picture(aiff->tag()) : TagLib::ByteVector();
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(&file)) {
        const TagLib::ByteVector block = ChooseFlacPicture(flac->pictureList());
        if (!block.isEmpty() || !flac->hasXiphComment()) return block;
        // Some taggers put the picture into the Vorbis comment instead of a block of its own.
        return ChooseFlacPicture(flac->xiphComment()->pictureList());
    }
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file)) return ChooseCoverArt(mp4->tag());
    // Ogg Vorbis, Opus, Speex and Ogg FLAC: their tag is a Xiph comment.
    if (auto* xiph = dynamic_cast<TagLib::Ogg::XiphComment*>(file.tag()))
        return ChooseFlacPicture(xiph->pictureList());
    return TagLib::ByteVector();
}

void DescribeCover(const TagLib::ByteVector& bytes, TrackCover& cover) {
    cover = TrackCover();
    const PictureKind kind = JudgeBytes(bytes);
    if (kind == PictureKind::kNone) return;
    cover.source = CoverSource::kEmbedded;
    cover.kind = kind;
    cover.size = bytes.size();
    cover.hash = PictureHash(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}
