// SPDX-License-Identifier: MIT
// Who may use the program's files and directories on Windows. The staging
// directories and the run log hold device data: they are made for their
// owner alone (and the system and administrators, who can read everything
// anyway), and one that others may write is refused, as on Linux.
#pragma once

#include "platform/base/windows_headers.h"

// A security descriptor that grants full access to the current user, the
// system and the administrators only, inherited by what is made inside.
class PrivateSecurity {
public:
    // Throws std::runtime_error when the system cannot make one.
    PrivateSecurity();
    ~PrivateSecurity();
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    SECURITY_ATTRIBUTES* Attributes() { return &m_attributes; }
    PACL Dacl() const;

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes{};
};

// Whether the file or directory behind `object` (opened with READ_CONTROL)
// is owned by the current user.
bool IsOwnedByUser(HANDLE object);

// Whether it is owned by the current user, the system or the administrators:
// what an installer or an administrator puts in place is theirs.
bool IsOwnedByUserOrAdministrators(HANDLE object);

// Rights that let someone put, remove or rename files in a directory or
// change who may.
inline constexpr ACCESS_MASK kDirectoryWriteRights =
    FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

// Rights that let someone change a file's contents, remove or rename it, or
// change who may.
inline constexpr ACCESS_MASK kFileWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER;

// Whether the access list of `object` (opened with READ_CONTROL) grants any
// of `rights` (specific or generic) to someone other than its owner, the
// current user, the system and the administrators.
bool GrantsOthers(HANDLE object, ACCESS_MASK rights);

// Gives `object` (opened with WRITE_DAC) the private access list. False
// when that fails.
bool MakePrivate(HANDLE object);

// The same for a file named by its path.
bool MakePrivate(const wchar_t* path);
