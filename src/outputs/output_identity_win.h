// Tracks whose output is, by what the files are, a source of the batch or another track's
// output, whatever the paths say.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "foundation/wide_string.h"
#include "outputs/folder_keys_win.h"
#include "outputs/output_clash.h"

// Found in two steps, so that the folders are keyed while another thread looks for the
// existing outputs: KeyFolders, then Find with the flags found. Each distinct folder of the
// sources and outputs is known by a quick key (mostly from its parent's entries) and opened
// only where two share one or a file's volume is asked; files are opened only where an
// output exists (or may be a short name): that output, and the sources on its volume. The
// tracks and outputs must outlive it.
class IdentityClashFinder {
  public:
    IdentityClashFinder(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                        const std::atomic<bool>* stop);
    IdentityClashFinder(const IdentityClashFinder&) = delete;
    IdentityClashFinder& operator=(const IdentityClashFinder&) = delete;
    ~IdentityClashFinder();

    // False when memory ran out or stop was set.
    bool KeyFolders();
    // After KeyFolders: sets clashing[i] for every such track and yields how many they are;
    // -1 when memory ran out or stop was set (from another thread). existing: the flags of
    // the outputs that are files already (FindExistingOutputs).
    int64_t Find(const bool* existing, bool* clashing);

  private:
    bool OpenedKey(uint32_t group);

    const PointerArray<TrackRecord>& tracks_;
    const TrackOutputs& outputs_;
    const std::atomic<bool>* stop_;
    FolderKeys openedKeys_{FolderKeys::kOpened};
    // Each track's source's folder's group (2i) and output's (2i + 1).
    std::unique_ptr<uint32_t[]> folderNumber_;
    uint32_t groups_ = 0;
    std::unique_ptr<WideString[]> keys_, fullPaths_;  // of each group
    std::unique_ptr<uint32_t[]> identityOf_;          // each group's folder, by identity
    std::unique_ptr<bool[]> manyPaths_;               // reached by two paths or more
};
