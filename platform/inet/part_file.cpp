// SPDX-License-Identifier: MIT
#include "platform/inet/part_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

PartFile::PartFile(const std::filesystem::path& target) : m_target(target), m_temporary(target.string() + ".part-XXXXXX")
{
    const int descriptor = mkstemp(m_temporary.data());
    if (descriptor < 0) {
        m_error = errno;
        m_temporary.clear();
        return;
    }
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

bool PartFile::Commit()
{
    if (!m_stream) return false;
    const bool closed = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    m_committed = closed && std::rename(m_temporary.c_str(), m_target.c_str()) == 0;
    if (!m_committed) m_error = errno;
    return m_committed;
}
