// SPDX-License-Identifier: MIT
#include "platform/console/standard_streams.h"

#include <fcntl.h>
#include <io.h>

#include "platform/base/windows_headers.h"

bool EnsureStandardDescriptors()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        // A program started without a console or with a standard handle
        // closed has no valid handle behind the descriptor.
        const intptr_t handle = ::_get_osfhandle(descriptor);
        if (handle != -1 && handle != -2) continue;
        // The lowest free descriptor is the one that is missing.
        if (::_open("NUL", descriptor == 0 ? _O_RDONLY : _O_WRONLY) != descriptor) return false;
    }
    return true;
}

// Windows raises no signal when a program writes to a pipe whose reader has
// gone: the write fails with an error, which is what this asks for.
void IgnoreBrokenPipes() {}
