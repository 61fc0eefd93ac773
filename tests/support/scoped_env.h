// SPDX-License-Identifier: MIT
// Sets or unsets environment variables for one test and puts them back.
#pragma once

#include <map>
#include <optional>
#include <string>

class ScopedEnv {
public:
    ScopedEnv() = default;
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const std::string& name, const std::string& value);
    void Unset(const std::string& name);

private:
    void Remember(const std::string& name);
    std::map<std::string, std::optional<std::string>> m_saved;
};

// Unsets the proxy settings of the environment the tests run in, so that
// they do not steer loopback requests elsewhere.
void UnsetProxySettings(ScopedEnv& env);

// Changes the current directory for one test and goes back.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& directory);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::string m_previous;
};
