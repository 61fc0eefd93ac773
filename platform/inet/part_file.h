// A download's local file: written under a temporary name beside its target
// and put in place only when complete, so that a failed download leaves an
// existing target as it was.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

class PartFile {
public:
    // Makes "<target>.part-XXXXXX"; Stream() is null when it cannot.
    explicit PartFile(const std::filesystem::path& target);
    // Removes the temporary file unless it was put in place.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    std::FILE* Stream() const { return m_stream; }

    // Closes the temporary file and renames it over the target; false when
    // either fails.
    bool Commit();

private:
    std::filesystem::path m_target;
    std::string m_temporary;
    std::FILE* m_stream = nullptr;
    bool m_committed = false;
};
