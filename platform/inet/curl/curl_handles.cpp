// SPDX-License-Identifier: MIT
#include "platform/inet/curl/curl_handles.h"

#include <new>
#include <stdexcept>

#include "platform/inet/internet_exception.h"

namespace {

// Initialises the library the first time; later calls return its result.
CURLcode InitialiseLibrary()
{
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    return result;
}

void RequireLibrary()
{
    if (InitialiseLibrary() != CURLE_OK) throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR);
}

}  // namespace

CurlEasy NewCurlEasy()
{
    RequireLibrary();
    CurlEasy easy(curl_easy_init());
    if (!easy) throw std::bad_alloc();
    return easy;
}

CurlMulti NewCurlMulti()
{
    RequireLibrary();
    CurlMulti multi(curl_multi_init());
    if (!multi) throw std::bad_alloc();
    return multi;
}

void AppendLine(CurlSlist& list, const std::string& line)
{
    curl_slist* longer = curl_slist_append(list.get(), line.c_str());
    if (!longer) throw std::bad_alloc();
    static_cast<void>(list.release());
    list.reset(longer);
}

void CheckOption(CURLcode code, CURLoption option)
{
    if (code == CURLE_OK) return;
    if (code == CURLE_OUT_OF_MEMORY) throw std::bad_alloc();
    throw std::logic_error("the transfer library refused option " + std::to_string(option) + ": " +
                           curl_easy_strerror(code));
}
