// SPDX-License-Identifier: MIT
#include "log/secrets.h"

namespace {
std::string g_secret;
}  // namespace

void RegisterSecret(const std::string& secret) { g_secret = secret; }

std::string MaskSecrets(std::string text)
{
    if (g_secret.empty()) return text;
    for (std::size_t at = text.find(g_secret); at != std::string::npos;
         at = text.find(g_secret, at + sizeof kSecretMask - 1))
        text.replace(at, g_secret.size(), kSecretMask);
    return text;
}
