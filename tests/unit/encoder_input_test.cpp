// Which dropped files the bundled encoder can read, told from their first bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sources/encoder_input.h"

namespace {

uint32_t ReadFromString(void* context, uint64_t offset, void* buffer, uint32_t count) {
    const auto& bytes = *static_cast<const std::string*>(context);
    if (offset >= bytes.size()) return 0;
    if (count > bytes.size() - offset) count = static_cast<uint32_t>(bytes.size() - offset);
    std::memcpy(buffer, bytes.data() + offset, count);
    return count;
}

EncoderInput Judge(std::string bytes) {
    return JudgeEncoderInput(bytes.size(), ReadFromString, &bytes);
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

// "fLaC", a STREAMINFO header and its first twelve bytes, then the byte with the channels.
std::string Flac(int channels) {
    return "fLaC" + Bytes({0x80, 0, 0, 34}) + std::string(12, '\0') +
           Bytes({0x40 | ((channels - 1) << 1), 0xF0}) + std::string(20, '\0');
}

// An Ogg page of one segment holding the packet.
std::string Ogg(const std::string& packet) {
    return "OggS" + std::string(22, '\0') + Bytes({1, static_cast<int>(packet.size())}) + packet;
}

std::string Wave(int channels) {
    return "RIFF" + std::string(4, '\0') + "WAVEfmt " + Bytes({16, 0, 0, 0, 1, 0, channels, 0}) +
           std::string(12, '\0');
}

// Frames of MPEG audio in a row: the header's four bytes, then the rest of the frame.
std::string MpegFrames(std::initializer_list<int> header, size_t frameBytes, int count = 4) {
    std::string frames;
    for (int i = 0; i < count; ++i) frames += Bytes(header) + std::string(frameBytes - 4, '\0');
    return frames;
}
// MPEG-1 layer III, 128 kbit/s, 44.1 kHz: 417 bytes a frame.
const std::string kMpegFrames = MpegFrames({0xFF, 0xFB, 0x90, 0x64}, 417);
// One header-like four bytes (a frame's worth of data after them holds no second header).
const std::string kOneMpegHeader = Bytes({0xFF, 0xFB, 0x90, 0x64}) + std::string(2000, 'U');
// An .m4a as ffmpeg writes it: "ftyp", "free", then "mdat" with AAC data.
const std::string kM4a = Bytes({0, 0, 0, 28}) + "ftypM4A " + Bytes({0, 0, 2, 0}) + "M4A isomiso2" +
                         Bytes({0, 0, 0, 8}) + "free" + Bytes({0, 0, 0x10, 0}) + "mdat" +
                         Bytes({0x21, 0x10}) + kOneMpegHeader;
// An ID3v2 tag of 300 bytes past its header (synchsafe size 2, 44).
const std::string kId3 = "ID3" + Bytes({4, 0, 0, 0, 0, 2, 44}) + std::string(300, '\0');

TEST(JudgeEncoderInput, ReadsWhatLameAndLibsndfileReadInOneOrTwoChannels) {
    using E = EncoderInput;
    const struct {
        const char* name;
        std::string bytes;
        EncoderInput expected;
    } cases[] = {
        {"MPEG audio", kMpegFrames, E::kMpegAudio},
        {"MPEG audio after junk", std::string(100, 'x') + kMpegFrames, E::kMpegAudio},
        {"MP3 behind an ID3v2 tag", kId3 + kMpegFrames, E::kMpegAudio},
        {"MPEG-2 layer III, 64 kbit/s, 22.05 kHz", MpegFrames({0xFF, 0xF3, 0x80, 0xC4}, 208),
         E::kMpegAudio},
        {"MPEG-1 layer II, 192 kbit/s, 48 kHz", MpegFrames({0xFF, 0xFD, 0xA4, 0x04}, 576),
         E::kMpegAudio},
        {"MPEG-1 layer I, 288 kbit/s, 48 kHz", MpegFrames({0xFF, 0xFF, 0x94, 0x04}, 288),
         E::kMpegAudio},
        {"two frames, then an ID3v1 tag at the end",
         MpegFrames({0xFF, 0xFB, 0x90, 0x64}, 417, 2) + "TAG" + std::string(125, '\0'),
         E::kMpegAudio},
        {"frames whose sample rates disagree",
         MpegFrames({0xFF, 0xFB, 0x90, 0x64}, 417, 2) +
             MpegFrames({0xFF, 0xFB, 0x94, 0x64}, 384, 2) + std::string(100, 'U'),
         E::kUnreadable},
        {"free-format MPEG audio", MpegFrames({0xFF, 0xFB, 0x00, 0x64}, 417), E::kUnreadable},
        {"one header-like four bytes", kOneMpegHeader, E::kUnreadable},
        {"FLAC behind an ID3v2 tag", kId3 + Flac(2), E::kFlac},
        {"FLAC mono", Flac(1), E::kFlac},
        {"FLAC stereo", Flac(2), E::kFlac},
        {"FLAC of six channels", Flac(6), E::kUnreadable},
        {"Ogg Vorbis stereo", Ogg("\x01vorbis" + Bytes({0, 0, 0, 0, 2})), E::kOgg},
        {"Ogg Vorbis of six channels", Ogg("\x01vorbis" + Bytes({0, 0, 0, 0, 6})), E::kUnreadable},
        {"Opus stereo", Ogg("OpusHead" + Bytes({1, 2})), E::kOgg},
        {"Opus of eight channels", Ogg("OpusHead" + Bytes({1, 8})), E::kUnreadable},
        {"Ogg FLAC",
         Ogg("\x7F"
             "FLAC" +
             Bytes({1, 0, 0, 1}) + Flac(2)),
         E::kOgg},
        {"Ogg of another codec", Ogg("\x80theora" + std::string(20, '\0')), E::kUnreadable},
        {"WAVE stereo", Wave(2), E::kWave},
        {"WAVE of six channels", Wave(6), E::kUnreadable},
        {"AIFF", "FORM" + std::string(4, '\0') + "AIFFCOMM" + std::string(30, '\0'), E::kAiff},
        {"M4A", Bytes({0, 0, 0, 20}) + "ftypM4A " + std::string(40, '\0'), E::kUnreadable},
        {"M4A with a header-like four bytes in its data", kM4a, E::kUnreadable},
        {"AAC in ADTS", Bytes({0xFF, 0xF1, 0x50, 0x80}) + std::string(400, '\0'), E::kUnreadable},
        {"AAC in ADTS with a header-like four bytes in its data",
         Bytes({0xFF, 0xF1, 0x50, 0x80, 0x2E, 0x7F, 0xFC}) + kOneMpegHeader, E::kUnreadable},
        {"WMA", Bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11}) + std::string(40, '\0'),
         E::kUnreadable},
        {"APE", "MAC " + std::string(40, '\0'), E::kUnreadable},
        {"WavPack", "wvpk" + std::string(40, '\0'), E::kUnreadable},
        {"Musepack", "MPCK" + std::string(40, '\0'), E::kUnreadable},
        {"text", "nur Text, kein Klang\r\n", E::kUnreadable},
        {"empty", "", E::kUnreadable},
        {"an ID3v2 tag and nothing after it", kId3, E::kUnreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Judge(c.bytes), c.expected);
    }
}

}  // namespace
