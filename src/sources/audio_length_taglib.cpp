// The audio's length as TagLib reads it, taken only where it can be trusted.
#include <taglib/aifffile.h>
#include <taglib/flacfile.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/oggfile.h>
#include <taglib/wavfile.h>

#include "sources/taglib_edge.h"

// The audio's length in milliseconds where the library's kind of file agrees with what the
// judge found in its bytes (a FLAC named ".mp3" is parsed as MPEG by its name, and such a
// length would be made up); 0 otherwise. An MP3 without a Xing or VBRI header has its length
// estimated from its first frame's bitrate, which a VBR file may far undercut (a quiet first
// frame): it counts at its layer's highest bitrate, which no frame exceeds, so that the length
// given is never more than the audio holds.
uint32_t LengthOf(TagLib::File& file, EncoderInput input) {
    const TagLib::AudioProperties* properties = file.audioProperties();
    if (properties == nullptr || properties->lengthInMilliseconds() <= 0) return 0;
    const uint64_t length = static_cast<uint64_t>(properties->lengthInMilliseconds());
    switch (input) {
        case EncoderInput::kMpegAudio: {
            const auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file);
            if (mpeg == nullptr) return 0;
            const TagLib::MPEG::Properties* frames = mpeg->audioProperties();
            if (frames->xingHeader() != nullptr) return static_cast<uint32_t>(length);
            const int layer = frames->layer();
            const uint64_t highest = frames->version() == TagLib::MPEG::Header::Version1
                                         ? (layer == 1   ? 448
                                            : layer == 2 ? 384
                                                         : 320)
                                         : (layer == 1 ? 256 : 160);
            const uint64_t bitrate = static_cast<uint64_t>(frames->bitrate());
            return static_cast<uint32_t>(length * (bitrate < highest ? bitrate : highest) /
                                         highest);
        }
        case EncoderInput::kWave:
            return dynamic_cast<TagLib::RIFF::WAV::File*>(&file) ? static_cast<uint32_t>(length)
                                                                 : 0;
        case EncoderInput::kAiff:
            return dynamic_cast<TagLib::RIFF::AIFF::File*>(&file) ? static_cast<uint32_t>(length)
                                                                  : 0;
        case EncoderInput::kFlac:
            return dynamic_cast<TagLib::FLAC::File*>(&file) ? static_cast<uint32_t>(length) : 0;
        case EncoderInput::kOgg:
            return dynamic_cast<TagLib::Ogg::File*>(&file) ? static_cast<uint32_t>(length) : 0;
        default:
            return 0;
    }
}
