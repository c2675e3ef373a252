#include "sources/encoder_input.h"

#include <cstring>

namespace {

// The first frames of MPEG audio: a start within the first 4 KB, then three frames of at most
// 1,728 bytes each (layer II at 384 kbit/s and 32 kHz) and the fourth's header.
constexpr uint32_t kHeadSize = 4096 + 3 * 1728 + 4;

struct Head {
    unsigned char bytes[kHeadSize];
    uint32_t size = 0;
    bool Is(uint32_t at, const char* text) const {
        const uint32_t length = static_cast<uint32_t>(std::strlen(text));
        return at + length <= size && std::memcmp(bytes + at, text, length) == 0;
    }
    unsigned At(uint32_t at) const { return at < size ? bytes[at] : 0; }
};

EncoderInput ByChannels(EncoderInput kind, unsigned channels) {
    return channels >= 1 && channels <= 2 ? kind : EncoderInput::kUnreadable;
}

// A FLAC stream's STREAMINFO (after "fLaC" and the block header) holds the channel count less
// one in three bits of its thirteenth byte.
EncoderInput JudgeFlacStreamInfo(EncoderInput kind, const Head& head, uint32_t streamInfo) {
    if (streamInfo + 13 > head.size) return EncoderInput::kUnreadable;
    return ByChannels(kind, ((head.At(streamInfo + 12) >> 1) & 7) + 1);
}

// The first packet of an Ogg stream names its codec and channels.
EncoderInput JudgeOgg(const Head& head) {
    const uint32_t packet = 27 + head.At(26);
    if (head.Is(packet, "\x01vorbis")) return ByChannels(EncoderInput::kOgg, head.At(packet + 11));
    if (head.Is(packet, "OpusHead")) return ByChannels(EncoderInput::kOgg, head.At(packet + 9));
    if (head.Is(packet,
                "\x7F"
                "FLAC") &&
        head.Is(packet + 9, "fLaC"))
        return JudgeFlacStreamInfo(EncoderInput::kOgg, head, packet + 17);
    return EncoderInput::kUnreadable;
}

EncoderInput JudgeWave(const Head& head) {
    // The format chunk stands first in nearly every file; elsewhere LAME judges at run time.
    if (!head.Is(12, "fmt ")) return EncoderInput::kWave;
    return ByChannels(EncoderInput::kWave, head.At(22) | (head.At(23) << 8));
}

// The bytes of an MPEG audio frame (layer I, II or III) from its header, or 0 for what is no
// such header: layer bits 00 (AAC in ADTS), a reserved version, free format (bitrate index 0),
// a bad bitrate or a reserved sample rate.
uint32_t MpegFrameBytes(const Head& head, uint32_t at) {
    const unsigned b1 = head.At(at + 1), b2 = head.At(at + 2);
    if (at + 3 >= head.size || head.At(at) != 0xFF || (b1 & 0xE0) != 0xE0) return 0;
    const unsigned version = (b1 >> 3) & 3, layer = (b1 >> 1) & 3;  // version 3 is MPEG-1
    const unsigned bitrateIndex = b2 >> 4, rateIndex = (b2 >> 2) & 3, padding = (b2 >> 1) & 1;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    static const uint16_t kKbps[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // 1, layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // 1, layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // 1, layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // 2, 2.5, layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // 2, 2.5, II, III
    };
    static const uint32_t kRates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const unsigned table = mpeg1 ? 3 - layer : (layer == 3 ? 3 : 4);
    const uint32_t bitsPerSecond = kKbps[table][bitrateIndex] * 1000u;
    const uint32_t rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    if (layer == 3) return (12 * bitsPerSecond / rate + padding) * 4;
    // Layer III of MPEG-2 and 2.5 holds half the samples of the others' 1152.
    const uint32_t factor = layer == 1 && !mpeg1 ? 72 : 144;
    return factor * bitsPerSecond / rate + padding;
}

// What must stay the same from frame to frame: version, layer, sample rate, and one channel
// or two (stereo and joint stereo may alternate).
unsigned MpegStreamShape(const Head& head, uint32_t at) {
    return (head.At(at + 1) & 0x1E) << 8 | (head.At(at + 2) & 0x0C) << 4 |
           ((head.At(at + 3) >> 6) == 3 ? 1 : 0);
}

constexpr uint32_t kMpegFramesInARow = 4;
constexpr uint32_t kMpegSearch = 4096;  // where the first frame may start, as LAME skips junk

// MPEG audio as a decoder syncs on it: frames in a row whose headers agree, each where the one
// before ends, from a start within the first bytes. A shorter stream counts when its frames
// end exactly at the end of the file or before an ID3v1 tag there.
bool IsMpegAudio(const Head& head, uint64_t end) {
    for (uint32_t start = 0; start < kMpegSearch && start + 3 < head.size; ++start) {
        uint32_t at = start, frames = 0;
        const unsigned shape = MpegStreamShape(head, start);
        while (frames < kMpegFramesInARow) {
            const uint32_t bytes = MpegFrameBytes(head, at);
            if (bytes == 0 || MpegStreamShape(head, at) != shape) break;
            at += bytes;
            ++frames;
            if (at == end || (at + 128 == end && head.Is(at, "TAG"))) return true;
        }
        if (frames == kMpegFramesInARow) return true;
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
    if (head.Is(0, "fLaC")) return JudgeFlacStreamInfo(EncoderInput::kFlac, head, 8);
    if (head.Is(0, "OggS")) return JudgeOgg(head);
    if ((head.Is(0, "RIFF") || head.Is(0, "RF64")) && head.Is(8, "WAVE")) return JudgeWave(head);
    if (head.Is(0, "FORM") && (head.Is(8, "AIFF") || head.Is(8, "AIFC")))
        return EncoderInput::kAiff;
    return IsMpegAudio(head, size - start) ? EncoderInput::kMpegAudio : EncoderInput::kUnreadable;
}
