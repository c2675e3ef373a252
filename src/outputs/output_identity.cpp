#include "outputs/output_identity.h"

namespace {

void WriteHex(uint64_t value, uint32_t digits, char16_t* out) {
    for (uint32_t i = digits; i > 0; --i, value >>= 4) out[i - 1] = u"0123456789ABCDEF"[value & 15];
}

}  // namespace

void WriteIdentityText(const FileIdentity& identity, char16_t* out) {
    WriteHex(identity.volume, 16, out);
    for (uint32_t i = 0; i < 16; ++i) WriteHex(identity.id[i], 2, out + 16 + 2 * i);
}

void WriteFolderNumber(uint32_t number, char16_t* out) {
    WriteHex(number, kFolderNumberLength, out);
}
