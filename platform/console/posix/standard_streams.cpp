// SPDX-License-Identifier: MIT
#include "platform/console/standard_streams.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

bool EnsureStandardDescriptors()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is the one that is missing.
        if (::open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY) != descriptor) return false;
    }
    return true;
}

void IgnoreBrokenPipes() { ::signal(SIGPIPE, SIG_IGN); }
