// SPDX-License-Identifier: MIT
// A directory of its own for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// A file's bytes as they stand.
std::string ReadFileText(const std::filesystem::path& path);
// A text file as this system writes text (the run log): on Windows a CR LF
// that ends a line is read as LF.
std::string ReadTextFile(const std::filesystem::path& path);
void WriteFileText(const std::filesystem::path& path, const std::string& text);
