// SPDX-License-Identifier: MIT
// Owned handles of the transfer library, and its options set with a check.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

struct CurlEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlMultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

// New handles; the library is initialised once per process on first use.
// Throws CInternetException (ERROR_INTERNET_INTERNAL_ERROR) when it cannot
// be initialised, std::bad_alloc when a handle cannot be made.
CurlEasy NewCurlEasy();
CurlMulti NewCurlMulti();

// Appends `line` to `list`; throws std::bad_alloc when it cannot.
void AppendLine(CurlSlist& list, const std::string& line);

// Throws for an option that the library refuses: std::bad_alloc when out of
// memory, std::logic_error otherwise (an option this build does not know).
void CheckOption(CURLcode code, CURLoption option);

template <typename T>
void SetOption(CURL* easy, CURLoption option, T value)
{
    CheckOption(curl_easy_setopt(easy, option, value), option);
}
