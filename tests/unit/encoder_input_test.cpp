// Which dropped files the bundled encoder can read, told from their first bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tracks/encoder_input.h"

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

const std::string kMpegFrame = Bytes({0xFF, 0xFB, 0x90, 0x64}) + std::string(400, '\0');
// An ID3v2 tag of 300 bytes past its header (synchsafe size 2, 44).
const std::string kId3 = "ID3" + Bytes({4, 0, 0, 0, 0, 2, 44}) + std::string(300, '\0');

TEST(JudgeEncoderInput, ReadsWhatLameAndLibsndfileReadInOneOrTwoChannels) {
    const EncoderInput readable = EncoderInput::kReadable, unreadable = EncoderInput::kUnreadable;
    const struct {
        const char* name;
        std::string bytes;
        EncoderInput expected;
    } cases[] = {
        {"MPEG audio", kMpegFrame, readable},
        {"MPEG audio after junk", std::string(100, 'x') + kMpegFrame, readable},
        {"MP3 behind an ID3v2 tag", kId3 + kMpegFrame, readable},
        {"FLAC behind an ID3v2 tag", kId3 + Flac(2), readable},
        {"FLAC mono", Flac(1), readable},
        {"FLAC stereo", Flac(2), readable},
        {"FLAC of six channels", Flac(6), unreadable},
        {"Ogg Vorbis stereo", Ogg("\x01vorbis" + Bytes({0, 0, 0, 0, 2})), readable},
        {"Ogg Vorbis of six channels", Ogg("\x01vorbis" + Bytes({0, 0, 0, 0, 6})), unreadable},
        {"Opus stereo", Ogg("OpusHead" + Bytes({1, 2})), readable},
        {"Opus of eight channels", Ogg("OpusHead" + Bytes({1, 8})), unreadable},
        {"Ogg FLAC",
         Ogg("\x7F"
             "FLAC" +
             Bytes({1, 0, 0, 1}) + Flac(2)),
         readable},
        {"Ogg of another codec", Ogg("\x80theora" + std::string(20, '\0')), unreadable},
        {"WAVE stereo", Wave(2), readable},
        {"WAVE of six channels", Wave(6), unreadable},
        {"AIFF", "FORM" + std::string(4, '\0') + "AIFFCOMM" + std::string(30, '\0'), readable},
        {"M4A", Bytes({0, 0, 0, 20}) + "ftypM4A " + std::string(40, '\0'), unreadable},
        {"AAC in ADTS", Bytes({0xFF, 0xF1, 0x50, 0x80}) + std::string(400, '\0'), unreadable},
        {"WMA", Bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11}) + std::string(40, '\0'),
         unreadable},
        {"APE", "MAC " + std::string(40, '\0'), unreadable},
        {"WavPack", "wvpk" + std::string(40, '\0'), unreadable},
        {"Musepack", "MPCK" + std::string(40, '\0'), unreadable},
        {"text", "nur Text, kein Klang\r\n", unreadable},
        {"empty", "", unreadable},
        {"an ID3v2 tag and nothing after it", kId3, unreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Judge(c.bytes), c.expected);
    }
}

}  // namespace
