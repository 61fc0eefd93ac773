// SPDX-License-Identifier: MIT
#include "platform/ui/shown_text.h"

#include <utility>

namespace {
ShownTextFilter g_filter = nullptr;
}

void AfxSetShownTextFilter(ShownTextFilter filter) { g_filter = filter; }

std::string AfxShownText(std::string text) { return g_filter ? g_filter(std::move(text)) : text; }
