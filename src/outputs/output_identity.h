// Keys that say what a file is rather than what its path says: a folder's volume serial and
// file ID, or an existing file's, as text. Two paths of one file (through "..", a second drive
// letter, a mapped drive, a link, a short name) give one key.
#pragma once
#include <cstdint>

#include "foundation/file_identity.h"

// The text of an identity: hexadecimal digits in capitals, which compare alike in any letter
// case, so keys made of it group under the file system's name comparison.
constexpr uint32_t kIdentityTextLength = 48;
// Writes the kIdentityTextLength units of the identity's text to `out`.
void WriteIdentityText(const FileIdentity& identity, char16_t* out);

// A folder's number in eight hexadecimal digits, for keys of names within it.
constexpr uint32_t kFolderNumberLength = 8;
void WriteFolderNumber(uint32_t number, char16_t* out);
