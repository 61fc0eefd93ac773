// SPDX-License-Identifier: MIT
// The keys that may sign packages: every *.pub in the system's trusted-keys
// directory and in the user's, and the key files a front-end names. A key
// is revoked by removing its file.
#pragma once

#include <string>
#include <vector>

#include "upgrade/minisign_format.h"

struct TrustedKey {
    MinisignPublicKey key;
    std::string file;  // where it was read, for the log
};

struct TrustedKeys {
    std::vector<TrustedKey> keys;
    // Why the keys cannot be used: a key file or directory that others could
    // have written, or that is no minisign public key. A run must not guess
    // around it, since the policy depends on which keys there are.
    std::string problem;
};

// The trusted keys from the directories and `givenFiles` (paths of the
// system's own form).
TrustedKeys LoadTrustedKeys(const std::vector<std::string>& givenFiles);
