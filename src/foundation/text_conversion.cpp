// The two conversions at the 8-bit edges: ANSI code page in, UTF-8 out.
#include <cstdint>

#include "foundation/narrow_string.h"
#include "foundation/side_by_side.h"
#include "foundation/text_services.h"
#include "foundation/utf8.h"
#include "foundation/wide_string.h"

WideString& WideString::AssignAnsi(const char* text) {
    if (!text) text = "";
    uint32_t length = 0;
    while (text[length]) ++length;
    if (!PrepareBuffer(length)) return *this;
    // A double-byte code page may yield fewer units; the text then ends at the
    // converted NUL.
    AnsiToWide(text, static_cast<int>(length + 1), Buffer(), static_cast<int>(length + 1));
    Truncate(length);
    return *this;
}

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Counts (Writing false) or writes the UTF-8 form of the pieces as one text. A high
// surrogate waits for the next unit, which may start the next piece.
template <bool Writing>
class Utf8Encoder {
  public:
    explicit Utf8Encoder(char* out) : out_(out) {}

    void Encode(const char16_t* text, uint32_t length) {
        for (uint32_t i = 0; i < length; ++i) {
            const char16_t unit = text[i];
            if (pendingHigh_) {
                const char16_t high = pendingHigh_;
                pendingHigh_ = 0;
                if (IsLowSurrogate(unit)) {
                    Put(0x10000 + ((char32_t(high) - 0xD800) << 10) + (unit - 0xDC00));
                    continue;
                }
                Put(0xFFFD);
            }
            if (unit < 0x80) {
                // Nearly all of a launcher: ASCII, taken in runs.
                uint32_t end = i + 1;
                while (end < length && text[end] < 0x80) ++end;
                if (Writing)
                    for (uint32_t k = i; k < end; ++k)
                        out_[bytes_ + k - i] = static_cast<char>(text[k]);
                bytes_ += end - i;
                i = end - 1;
            } else if (IsHighSurrogate(unit)) {
                pendingHigh_ = unit;
            } else {
                Put(IsLowSurrogate(unit) ? char32_t(0xFFFD) : char32_t(unit));
            }
        }
    }
    // The byte count, once every piece was given.
    uint64_t Finish() {
        if (pendingHigh_) Put(0xFFFD);
        pendingHigh_ = 0;
        return bytes_;
    }

  private:
    void Put(char32_t code) {
        if (code < 0x80) {
            if (Writing) out_[bytes_] = static_cast<char>(code);
            bytes_ += 1;
        } else if (code < 0x800) {
            if (Writing) {
                out_[bytes_] = static_cast<char>(0xC0 | (code >> 6));
                out_[bytes_ + 1] = static_cast<char>(0x80 | (code & 0x3F));
            }
            bytes_ += 2;
        } else if (code < 0x10000) {
            if (Writing) {
                out_[bytes_] = static_cast<char>(0xE0 | (code >> 12));
                out_[bytes_ + 1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out_[bytes_ + 2] = static_cast<char>(0x80 | (code & 0x3F));
            }
            bytes_ += 3;
        } else {
            if (Writing) {
                out_[bytes_] = static_cast<char>(0xF0 | (code >> 18));
                out_[bytes_ + 1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
                out_[bytes_ + 2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out_[bytes_ + 3] = static_cast<char>(0x80 | (code & 0x3F));
            }
            bytes_ += 4;
        }
    }

    char* out_;
    uint64_t bytes_ = 0;
    char16_t pendingHigh_ = 0;
};

}  // namespace

namespace {

// Some of the pieces' units, from one place to another: counted, then written from out on.
struct Utf8Part {
    const TextPiece* pieces;
    uint32_t firstPiece, firstUnit;  // where it starts
    uint32_t endPiece, endUnit;      // where the next part starts
    uint64_t bytes;
    char* out;

    template <bool Writing>
    void Encode(Utf8Encoder<Writing>& encoder) const {
        for (uint32_t p = firstPiece; p <= endPiece && pieces; ++p) {
            const uint32_t from = p == firstPiece ? firstUnit : 0;
            const uint32_t to = p == endPiece ? endUnit : pieces[p].length;
            if (to > from) encoder.Encode(pieces[p].text + from, to - from);
        }
    }
};

void CountUtf8(void* context) {
    auto& part = *static_cast<Utf8Part*>(context);
    Utf8Encoder<false> counter(nullptr);
    part.Encode(counter);
    part.bytes = counter.Finish();
}

void WriteUtf8(void* context) {
    auto& part = *static_cast<Utf8Part*>(context);
    Utf8Encoder<true> writer(part.out);
    part.Encode(writer);
    writer.Finish();
}

// The piece and unit the middle unit of the pieces is, moved on past a low surrogate that
// ends a pair: each half then converts as it would in the whole.
void FindMiddle(const TextPiece* pieces, uint32_t count, uint32_t& piece, uint32_t& unit) {
    uint64_t total = 0;
    for (uint32_t p = 0; p < count; ++p) total += pieces[p].length;
    uint64_t left = total / 2;
    piece = 0;
    while (piece < count && left >= pieces[piece].length) left -= pieces[piece++].length;
    unit = uint32_t(left);
    if (piece == count) {
        piece = count > 0 ? count - 1 : 0;
        unit = count > 0 ? pieces[piece].length : 0;
        return;
    }
    // The unit before the middle: in this piece, or the last of an earlier one.
    char16_t before = 0;
    if (unit > 0) {
        before = pieces[piece].text[unit - 1];
    } else {
        for (uint32_t p = piece; p > 0 && before == 0; --p)
            if (pieces[p - 1].length > 0) before = pieces[p - 1].text[pieces[p - 1].length - 1];
    }
    if (IsHighSurrogate(before) && IsLowSurrogate(pieces[piece].text[unit])) ++unit;
}

}  // namespace

NarrowString JoinAsUtf8(const TextPiece* pieces, uint32_t count, SideBySide sideBySide) {
    NarrowString result;
    uint32_t middlePiece = 0, middleUnit = 0;
    FindMiddle(pieces, count, middlePiece, middleUnit);
    const uint32_t lastPiece = count > 0 ? count - 1 : 0;
    Utf8Part halves[2] = {
        {pieces, 0, 0, middlePiece, middleUnit, 0, nullptr},
        {pieces, middlePiece, middleUnit, lastPiece, count > 0 ? pieces[lastPiece].length : 0, 0,
         nullptr},
    };
    if (count == 0) halves[0].pieces = halves[1].pieces = nullptr;
    RunBoth(sideBySide, CountUtf8, &halves[0], &halves[1]);
    const uint64_t bytes = halves[0].bytes + halves[1].bytes;
    if (bytes >= INT32_MAX || !result.PrepareBuffer(static_cast<uint32_t>(bytes + 1)))
        return result;
    halves[0].out = result.Buffer();
    halves[1].out = result.Buffer() + halves[0].bytes;
    RunBoth(sideBySide, WriteUtf8, &halves[0], &halves[1]);
    result.Truncate(static_cast<uint32_t>(bytes));
    return result;
}

NarrowString WideString::ToUtf8() const {
    const TextPiece whole{Text(), Length()};
    return JoinAsUtf8(&whole, 1);
}
