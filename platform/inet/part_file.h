// SPDX-License-Identifier: MIT
// A download's local file: written under a temporary name beside its target
// and put in place only when complete, so that a failed download leaves an
// existing target as it was.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

class PartFile {
public:
    // Makes "<target>.part-XXXXXX"; Stream() is null when it cannot, and
    // Error() says why.
    explicit PartFile(const std::filesystem::path& target);
    // Removes the temporary file unless it was put in place.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    std::FILE* Stream() const { return m_stream; }
    // The system's error number of the last step that failed; 0 when none did.
    int Error() const { return m_error; }

    // Closes the temporary file and renames it to the target, over an
    // existing one only when `replace` is true (an existing target is
    // checked for in the same step as the rename); false when either fails
    // (Error() says why).
    bool Commit(bool replace);

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;  // empty when it could not be made
    std::FILE* m_stream = nullptr;
    bool m_committed = false;
    int m_error = 0;
};
