// The two conversions at the 8-bit edges: ANSI code page in, UTF-8 out.
#include <cstdint>

#include "foundation/narrow_string.h"
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

NarrowString JoinAsUtf8(const TextPiece* pieces, uint32_t count) {
    NarrowString result;
    Utf8Encoder<false> counter(nullptr);
    for (uint32_t i = 0; i < count; ++i) counter.Encode(pieces[i].text, pieces[i].length);
    const uint64_t bytes = counter.Finish();
    if (bytes >= INT32_MAX || !result.PrepareBuffer(static_cast<uint32_t>(bytes + 1)))
        return result;
    Utf8Encoder<true> writer(result.Buffer());
    for (uint32_t i = 0; i < count; ++i) writer.Encode(pieces[i].text, pieces[i].length);
    writer.Finish();
    result.Truncate(static_cast<uint32_t>(bytes));
    return result;
}

NarrowString WideString::ToUtf8() const {
    const TextPiece whole{Text(), Length()};
    return JoinAsUtf8(&whole, 1);
}
