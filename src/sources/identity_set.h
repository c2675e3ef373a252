// The files and folders a folder's listing has reached, by identity (volume serial and file
// ID), so that one reached again through a link or a second name is listed once.
#pragma once
#include <cstdint>

#include "foundation/file_identity.h"

class IdentitySet {
  public:
    IdentitySet() = default;
    IdentitySet(const IdentitySet&) = delete;
    IdentitySet& operator=(const IdentitySet&) = delete;
    ~IdentitySet();

    // True when the identity is new (and is kept now); false when it was there, or when
    // memory ran out (then nothing is listed twice: the caller leaves it out).
    bool Add(const FileIdentity& identity);
    uint32_t Count() const { return count_; }

  private:
    struct Slot {
        FileIdentity identity;
        bool used;
    };
    bool Grow();

    Slot* slots_ = nullptr;
    uint32_t capacity_ = 0;  // a power of two
    uint32_t count_ = 0;
};
