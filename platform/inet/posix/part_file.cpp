// SPDX-License-Identifier: MIT
#include "platform/inet/part_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

PartFile::PartFile(const std::filesystem::path& target) : m_target(target)
{
    std::string name = target.string() + ".part-XXXXXX";
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        m_error = errno;
        return;
    }
    m_temporary = name;
    m_stream = fdopen(descriptor, "wb");
    if (m_stream) return;
    m_error = errno;
    close(descriptor);
}

PartFile::~PartFile()
{
    if (m_stream) std::fclose(m_stream);
    if (!m_temporary.empty() && !m_committed) std::remove(m_temporary.c_str());
}

bool PartFile::Commit(bool replace)
{
    if (!m_stream) return false;
    const bool closed = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    const unsigned flags = replace ? 0 : RENAME_NOREPLACE;
    m_committed = closed && ::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_target.c_str(), flags) == 0;
    if (!m_committed) m_error = errno;
    return m_committed;
}
