// SPDX-License-Identifier: MIT
#include "platform/files/windows/inherited_handles.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/files/windows/system_error_text.h"

InheritedHandles::InheritedHandles(std::vector<HANDLE> handles) : m_handles(std::move(handles))
{
    m_handles.erase(std::remove(m_handles.begin(), m_handles.end(), nullptr), m_handles.end());
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    m_buffer.resize(size);
    m_list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data());
    if (!::InitializeProcThreadAttributeList(m_list, 1, 0, &size) ||
        (!m_handles.empty() &&
         !::UpdateProcThreadAttribute(m_list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, m_handles.data(),
                                      m_handles.size() * sizeof(HANDLE), nullptr, nullptr)))
        throw std::runtime_error("cannot name the handles a child inherits: " + SystemErrorText(::GetLastError()));
}

InheritedHandles::~InheritedHandles() { ::DeleteProcThreadAttributeList(m_list); }
