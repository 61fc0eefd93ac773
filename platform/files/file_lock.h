// SPDX-License-Identifier: MIT
// An exclusive lock on a file, held while the object lives: a process that
// holds one keeps every other process, of any user, from taking it, and the
// system releases it when the holder dies, so a lock never outlives its
// process. The file's text says who holds it.
#pragma once

#include <cstdint>
#include <string>

class FileLock {
public:
    // Opens the file at `path` (a path of the program's form), made readable
    // and writable by its owner only when it is new; a link planted under the
    // name is never followed. Then takes its lock without waiting.
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Whether this process holds the lock now.
    bool Held() const { return m_held; }
    // Whether another process holds it.
    bool Busy() const { return m_busy; }
    // Why the file could not be opened or locked; empty when it was locked
    // or another process holds it.
    const std::string& Problem() const { return m_problem; }

    // The file's text, at most `limit` bytes: what its holder wrote there.
    std::string Text(std::size_t limit) const;
    // With the lock held: replaces the file's text. Why it could not be
    // written, or empty.
    std::string Write(const std::string& text);

private:
    std::intptr_t m_file = -1;
    bool m_held = false;
    bool m_busy = false;
    std::string m_problem;
};

// This process's id.
unsigned long CurrentProcessId();
