#pragma once
// The engine's global settings. One instance is shared by every open table.

namespace qb::xbase {

struct EngineSettings {
    int errorLevel = 0;          // 0: errors are raised to the caller only
    bool century = true;         // four-digit years in date text
    bool skipDeleted = true;     // navigation and counts pass over deleted-marked records
    bool exact = false;          // off: "=" between texts means "begins with"
    bool softSeek = false;       // a failed seek stops on the next greater key instead of end of file
    int lockTimeoutSeconds = 1;  // how long a record or file lock is retried
    int memoBlockSize = 64;      // block size of memo files we create
    // A post returns only once its record, memos and keys are on the disk, so
    // that a power cut loses nothing saved. Each post then waits for the disk
    // several times; the program turns it on, tools and bulk runs need not.
    bool syncPosts = false;
};

// The settings in force; the program sets them once at start.
EngineSettings& engineSettings();

} // namespace qb::xbase
