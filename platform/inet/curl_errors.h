// The platform's error code for a failed transfer.
#pragma once

#include <curl/curl.h>

#include "platform/ui/win_types.h"

// The code for result `code`; `osErrno` (the system error the library saw)
// tells a reset connection from one that just ended.
DWORD InternetErrorOf(CURLcode code, long osErrno);

// The code for the failed transfer on `easy`.
DWORD InternetErrorOf(CURLcode code, CURL* easy);
