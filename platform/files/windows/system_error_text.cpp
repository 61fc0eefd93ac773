// SPDX-License-Identifier: MIT
#include "platform/files/windows/system_error_text.h"

#include <system_error>

std::string SystemErrorText(unsigned long code)
{
    const std::error_condition portable = std::system_category().default_error_condition(static_cast<int>(code));
    return portable.category() == std::generic_category() ? portable.message()
                                                           : std::system_category().message(static_cast<int>(code));
}
