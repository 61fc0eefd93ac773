#include "platform/inet/ftp_connection.h"

#include <filesystem>
#include <optional>

#include "platform/files/paths.h"
#include "platform/inet/ftp_control.h"
#include "platform/inet/host_name.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/local_file.h"
#include "platform/inet/part_file.h"

std::unique_ptr<CFtpConnection> CInternetSession::GetFtpConnection(const std::string& server, const char* userName,
                                                                   const char* password, int port, BOOL passive)
{
    const LayerSettings settings = ReadLayerSettings();
    // The service's own port, given as such, means the configured one.
    const int serverPort = PortOrDefault(port == INTERNET_DEFAULT_FTP_PORT ? 0 : port, settings.ftpPort);
    const std::optional<std::string> host = UrlHostOf(server);
    if (!host) throw CInternetException(ERROR_INTERNET_NAME_NOT_RESOLVED);
    FtpServer ftpServer{"ftp://" + *host + ":" + std::to_string(serverPort) + "/", userName ? userName : "",
                        password ? password : "", passive != FALSE, settings};
    auto control = std::make_unique<CFtpConnection::Control>(std::move(ftpServer));
    control->LogIn();
    return std::unique_ptr<CFtpConnection>(new CFtpConnection(std::move(control)));
}

CFtpConnection::CFtpConnection(std::unique_ptr<Control> control) : m_control(std::move(control)) {}

CFtpConnection::~CFtpConnection() = default;

// Transfers are always binary; attributes, flags and context are not used.
BOOL CFtpConnection::GetFile(const std::string& remoteFile, const std::string& localFile, BOOL failIfExists, DWORD,
                             DWORD, DWORD_PTR)
{
    if (!m_control) return FALSE;
    const std::optional<std::filesystem::path> target = HostPathOf(localFile);
    if (!target || !IsDownloadTarget(*target)) return FALSE;
    std::error_code error;
    if (failIfExists && std::filesystem::exists(*target, error)) return FALSE;
    PartFile part(*target);
    if (!part.Stream() || !m_control->Download(remoteFile, part.Stream())) return FALSE;
    return part.Commit() ? TRUE : FALSE;
}

BOOL CFtpConnection::PutFile(const std::string& localFile, const std::string& remoteFile, DWORD, DWORD_PTR)
{
    if (!m_control) return FALSE;
    const std::optional<std::filesystem::path> source = HostPathOf(localFile);
    if (!source) return FALSE;
    const FileStream in = OpenUploadSource(*source);
    if (!in) return FALSE;
    return m_control->Upload(in.get(), remoteFile) ? TRUE : FALSE;
}

DWORD CFtpConnection::LastTransferError() const { return m_control ? m_control->LastError() : 0; }

std::string CFtpConnection::LastResponse() const { return m_control ? m_control->LastResponse() : std::string(); }

void CFtpConnection::Close() { m_control.reset(); }
