// SPDX-License-Identifier: MIT
#include "tests/support/scoped_env.h"

#include <cstdlib>
#include <filesystem>

#include "platform/files/environment.h"

ScopedEnv::~ScopedEnv()
{
    for (const auto& [name, value] : m_saved) {
        SetEnvironmentVariable(name.c_str(), value ? value->c_str() : nullptr);
    }
}

void ScopedEnv::Remember(const std::string& name)
{
    if (m_saved.count(name)) return;
    const char* value = std::getenv(name.c_str());
    m_saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
}

void ScopedEnv::Set(const std::string& name, const std::string& value)
{
    Remember(name);
    SetEnvironmentVariable(name.c_str(), value.c_str());
}

void ScopedEnv::Unset(const std::string& name)
{
    Remember(name);
    SetEnvironmentVariable(name.c_str(), nullptr);
}

void UnsetProxySettings(ScopedEnv& env)
{
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "ftp_proxy", "FTP_PROXY",
                             "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        env.Unset(name);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& directory)
    : m_previous(std::filesystem::current_path().string())
{
    std::filesystem::current_path(directory);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory()
{
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
}
