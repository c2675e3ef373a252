#include "tracks/encoder_input.h"

#include <cstring>

namespace {

constexpr uint32_t kHeadSize = 4096;

struct Head {
    unsigned char bytes[kHeadSize];
    uint32_t size = 0;
    bool Is(uint32_t at, const char* text) const {
        const uint32_t length = static_cast<uint32_t>(std::strlen(text));
        return at + length <= size && std::memcmp(bytes + at, text, length) == 0;
    }
    unsigned At(uint32_t at) const { return at < size ? bytes[at] : 0; }
};

EncoderInput ByChannels(unsigned channels) {
    return channels >= 1 && channels <= 2 ? EncoderInput::kReadable : EncoderInput::kUnreadable;
}

// A FLAC stream's STREAMINFO (after "fLaC" and the block header) holds the channel count less
// one in three bits of its thirteenth byte.
EncoderInput JudgeFlacStreamInfo(const Head& head, uint32_t streamInfo) {
    if (streamInfo + 13 > head.size) return EncoderInput::kUnreadable;
    return ByChannels(((head.At(streamInfo + 12) >> 1) & 7) + 1);
}

// The first packet of an Ogg stream names its codec and channels.
EncoderInput JudgeOgg(const Head& head) {
    const uint32_t packet = 27 + head.At(26);
    if (head.Is(packet, "\x01vorbis")) return ByChannels(head.At(packet + 11));
    if (head.Is(packet, "OpusHead")) return ByChannels(head.At(packet + 9));
    if (head.Is(packet,
                "\x7F"
                "FLAC") &&
        head.Is(packet + 9, "fLaC"))
        return JudgeFlacStreamInfo(head, packet + 17);
    return EncoderInput::kUnreadable;
}

EncoderInput JudgeWave(const Head& head) {
    // The format chunk stands first in nearly every file; elsewhere LAME judges at run time.
    if (!head.Is(12, "fmt ")) return EncoderInput::kReadable;
    return ByChannels(head.At(22) | (head.At(23) << 8));
}

// An MPEG audio frame header (layer I, II or III; layer bits 00 are AAC in ADTS) within the
// first bytes, as LAME's decoder finds it past some leading junk.
bool HasMpegFrame(const Head& head) {
    for (uint32_t i = 0; i + 3 < head.size; ++i) {
        const unsigned b1 = head.At(i + 1), b2 = head.At(i + 2);
        if (head.At(i) == 0xFF && (b1 & 0xE0) == 0xE0 && (b1 & 0x18) != 0x08 && (b1 & 0x06) != 0 &&
            (b2 & 0xF0) != 0xF0 && (b2 & 0x0C) != 0x0C)
            return true;
    }
    return false;
}

}  // namespace

EncoderInput JudgeEncoderInput(uint64_t size, ReadBytesAt read, void* context) {
    Head head;
    uint64_t start = 0;
    head.size = read(context, 0, head.bytes, kHeadSize);
    // An ID3v2 tag (a cover may make it large) goes before MPEG audio and sometimes FLAC.
    if (head.Is(0, "ID3") && head.size >= 10) {
        start = 10 + ((head.At(6) & 0x7Fu) << 21 | (head.At(7) & 0x7Fu) << 14 |
                      (head.At(8) & 0x7Fu) << 7 | (head.At(9) & 0x7Fu));
        if (head.At(5) & 0x10) start += 10;  // footer
        head.size = start < size ? read(context, start, head.bytes, kHeadSize) : 0;
    }
    if (head.size < 4) return EncoderInput::kUnreadable;
    if (head.Is(0, "fLaC")) return JudgeFlacStreamInfo(head, 8);
    if (head.Is(0, "OggS")) return JudgeOgg(head);
    if ((head.Is(0, "RIFF") || head.Is(0, "RF64")) && head.Is(8, "WAVE")) return JudgeWave(head);
    if (head.Is(0, "FORM") && (head.Is(8, "AIFF") || head.Is(8, "AIFC")))
        return EncoderInput::kReadable;
    return HasMpegFrame(head) ? EncoderInput::kReadable : EncoderInput::kUnreadable;
}
