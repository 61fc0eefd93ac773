// SPDX-License-Identifier: MIT
// The handles a started process inherits, named one by one: only its
// standard handles, so that the pipes of other processes started at the same
// time are not kept open by it. For the processes the program and its tests
// start (the attribute list of CreateProcess's STARTUPINFOEX).
#pragma once

#include <vector>

#include "platform/base/windows_headers.h"

class InheritedHandles {
public:
    // Null handles are left out. Throws std::runtime_error naming the system
    // error when the list cannot be made.
    explicit InheritedHandles(std::vector<HANDLE> handles);
    ~InheritedHandles();
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return m_list; }

private:
    std::vector<HANDLE> m_handles;
    std::vector<unsigned char> m_buffer;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
};
