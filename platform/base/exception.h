// SPDX-License-Identifier: MIT
// The base of the exceptions that the window layer reports when they leave a
// command handler.
#pragma once

#include <string>

class CException {
public:
    virtual ~CException() = default;

    // The exception's own text; empty when it has none.
    virtual std::string GetErrorMessage() const { return {}; }
};
