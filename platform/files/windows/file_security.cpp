// SPDX-License-Identifier: MIT
#include "platform/files/windows/file_security.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// The current user's security identifier, from the process token.
class UserSid {
public:
    UserSid()
    {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
            throw std::runtime_error("the process token cannot be read");
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        m_buffer.resize(size);
        const BOOL read = ::GetTokenInformation(token, TokenUser, m_buffer.data(), size, &size);
        ::CloseHandle(token);
        if (!read) throw std::runtime_error("the process token names no user");
    }
    PSID Get() const { return reinterpret_cast<const TOKEN_USER*>(m_buffer.data())->User.Sid; }

private:
    std::vector<unsigned char> m_buffer;
};

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type)
{
    return ::IsWellKnownSid(sid, type) != FALSE;
}

// The owner, the user, the system and the administrators may do anything.
bool IsTrusted(PSID sid, PSID owner, PSID user)
{
    return ::EqualSid(sid, owner) || ::EqualSid(sid, user) || IsWellKnown(sid, WinLocalSystemSid) ||
           IsWellKnown(sid, WinBuiltinAdministratorsSid) || IsWellKnown(sid, WinCreatorOwnerSid);
}

// The generic rights that include any of the specific `rights`.
ACCESS_MASK WithGenericRights(ACCESS_MASK rights)
{
    ACCESS_MASK generic = GENERIC_ALL;
    if (rights & (FILE_GENERIC_WRITE | DELETE | WRITE_DAC | WRITE_OWNER)) generic |= GENERIC_WRITE;
    if (rights & FILE_GENERIC_READ) generic |= GENERIC_READ;
    return rights | generic;
}

// Whether the owner of `object` passes `test`; false when it cannot be read.
bool OwnerPasses(HANDLE object, bool (*test)(PSID owner))
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, LocalFreer> freed(descriptor);
    return test(owner);
}

}  // namespace

PrivateSecurity::PrivateSecurity()
{
    const UserSid user;
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(user.Get(), &text)) throw std::runtime_error("the user's identifier has no text");
    const std::unique_ptr<wchar_t, LocalFreer> userText(text);
    // P: the parent's entries are not inherited; OICI: files and
    // directories made inside inherit these entries.
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(userText.get()) + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &m_descriptor,
                                                                nullptr))
        throw std::runtime_error("the private security descriptor cannot be made");
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = m_descriptor;
    m_attributes.bInheritHandle = FALSE;
}

PrivateSecurity::~PrivateSecurity() { ::LocalFree(m_descriptor); }

PACL PrivateSecurity::Dacl() const
{
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(m_descriptor, &present, &dacl, &defaulted);
    return dacl;
}

bool IsOwnedByUser(HANDLE object)
{
    return OwnerPasses(object, [](PSID owner) { return ::EqualSid(owner, UserSid().Get()) != FALSE; });
}

bool IsOwnedByUserOrAdministrators(HANDLE object)
{
    return OwnerPasses(object, [](PSID owner) {
        return ::EqualSid(owner, UserSid().Get()) || IsWellKnown(owner, WinLocalSystemSid) ||
               IsWellKnown(owner, WinBuiltinAdministratorsSid);
    });
}

bool GrantsOthers(HANDLE object, ACCESS_MASK rights)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                          nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    const std::unique_ptr<void, LocalFreer> freed(descriptor);
    // No access list at all lets everyone in.
    if (!dacl) return true;
    const UserSid user;
    const ACCESS_MASK wanted = WithGenericRights(rights);
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!::GetAce(dacl, index, &entry)) return true;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & wanted) && !IsTrusted(&allowed->SidStart, owner, user.Get())) return true;
    }
    return false;
}

bool MakePrivate(HANDLE object)
{
    const PrivateSecurity security;
    return ::SetSecurityInfo(object, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             nullptr, nullptr, security.Dacl(), nullptr) == ERROR_SUCCESS;
}

bool MakePrivate(const wchar_t* path)
{
    const PrivateSecurity security;
    return ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                   security.Dacl(), nullptr) == ERROR_SUCCESS;
}
