// SPDX-License-Identifier: MIT
#include "tests/support/temp_dir.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kAttempts = 100;

// Six random letters and digits, as mkdtemp would choose them.
std::string RandomName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name;
    for (int i = 0; i < 6; ++i) name += kLetters[pick(generator)];
    return name;
}

std::string ReadWhole(const std::filesystem::path& path, std::ios::openmode mode)
{
    std::ifstream in(path, mode);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TempDir::TempDir()
{
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::filesystem::path candidate = base / ("ndxu-test-" + RandomName());
        // Made here, or taken by someone else: then another name.
        if (std::filesystem::create_directory(candidate)) {
            std::filesystem::permissions(candidate, std::filesystem::perms::owner_all);
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary directory in " + base.string());
}

// A file that is still open (the run log, which the program keeps open
// until it ends) does not go away with its directory on Windows: deleting it
// only marks it, and under Wine its name stays until it is closed, so the
// directory never becomes empty (and removing it loops). Each file is first
// moved out of the tree, beside it, and deleted there.
TempDir::~TempDir()
{
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (!it->is_directory()) files.push_back(it->path());
    int moved = 0;
    for (const std::filesystem::path& file : files) {
        std::filesystem::path aside = m_path;
        aside += "-removed-" + std::to_string(moved++);
        std::filesystem::rename(file, aside, ec);
        std::filesystem::remove(ec ? file : aside, ec);
    }
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadFileText(const std::filesystem::path& path) { return ReadWhole(path, std::ios::in | std::ios::binary); }

std::string ReadTextFile(const std::filesystem::path& path) { return ReadWhole(path, std::ios::in); }


void WriteFileText(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path.string());
    out << text;
}
