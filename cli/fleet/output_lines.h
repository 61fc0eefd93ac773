// SPDX-License-Identifier: MIT
// A child's output as lines: whole lines as they complete, and the last few
// lines of what it wrote, both within fixed bounds whatever the child writes.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

class LineSplitter {
public:
    // The lines that `bytes` completes, without their line feeds. A line
    // longer than kLongest is cut to that length.
    std::vector<std::string> Feed(const std::string& bytes);
    // What is left after the last line feed.
    const std::string& Rest() const { return m_partial; }

    static constexpr std::size_t kLongest = 1 << 20;

private:
    std::string m_partial;
    bool m_cut = false;  // the line under way was cut: its rest is dropped
};

class LastLines {
public:
    explicit LastLines(std::size_t count) : m_count(count) {}
    void Feed(const std::string& bytes);
    // The last lines (the unfinished one too), joined by " | ".
    std::string Joined() const;

    static constexpr std::size_t kLongest = 300;

private:
    void Keep(std::string line);

    std::size_t m_count;
    LineSplitter m_splitter;
    std::deque<std::string> m_lines;
};
