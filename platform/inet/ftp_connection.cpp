// SPDX-License-Identifier: MIT
#include "platform/inet/ftp_connection.h"

#include <cerrno>
#include <filesystem>
#include <optional>

#include "platform/files/paths.h"
#include "platform/inet/ftp_control.h"
#include "platform/inet/host_name.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/local_file.h"
#include "platform/inet/part_file.h"

namespace {

constexpr char kClosed[] = "the connection to the device is closed";
// The reason that stays when the status callback throws out of a transfer.
constexpr char kStopped[] = "the transfer was stopped by its status callback";

// Hands the transfer's progress to the session's status callback.
std::optional<ProgressNotifier> ProgressFor(CInternetSession& session, DWORD_PTR context, InternetTransferProgress start)
{
    if (!session.StatusCallbackEnabled()) return std::nullopt;
    return ProgressNotifier(std::move(start), [&session, context](DWORD status, const InternetTransferProgress& info) {
        session.OnStatusCallback(context, status, &info, static_cast<DWORD>(sizeof info));
    });
}

// The size of the file at `path`; 0 when the system cannot say.
std::uint64_t SizeOf(const std::filesystem::path& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

}  // namespace

std::unique_ptr<CFtpConnection> CInternetSession::GetFtpConnection(const std::string& server, const char* userName,
                                                                   const char* password, int port, BOOL passive)
{
    const LayerSettings settings = ReadLayerSettings();
    // The service's own port, given as such, means the configured one.
    const int serverPort = PortOrDefault(port == INTERNET_DEFAULT_FTP_PORT ? 0 : port, settings.ftpPort);
    const std::optional<std::string> host = UrlHostOf(server);
    if (!host) throw NameNotResolved(server);
    FtpServer ftpServer{*host,
                        server,
                        serverPort,
                        userName ? userName : "",
                        password ? password : "",
                        passive != FALSE || settings.ftpPassive,
                        settings,
                        Agent()};
    return std::unique_ptr<CFtpConnection>(new CFtpConnection(*this, ConnectFtp(std::move(ftpServer))));
}

CFtpConnection::CFtpConnection(CInternetSession& session, std::unique_ptr<Control> control)
    : m_session(session), m_control(std::move(control))
{
}

CFtpConnection::~CFtpConnection() = default;

// Transfers are always binary; attributes and flags are not used.
BOOL CFtpConnection::GetFile(const std::string& remoteFile, const std::string& localFile, BOOL failIfExists, DWORD,
                             DWORD, DWORD_PTR context)
{
    if (!m_control) return Fail(kClosed);
    const std::optional<std::filesystem::path> target = HostPathOf(localFile);
    if (!target) return Fail(UnmappedPathText(localFile));
    if (std::string problem = DownloadTargetProblem(*target); !problem.empty()) return Fail(std::move(problem));
    std::error_code error;
    if (failIfExists && std::filesystem::exists(*target, error)) return Fail(LocalFileProblem(*target, EEXIST));
    PartFile part(*target);
    if (!part.Stream()) return Fail(LocalFileProblem(*target, part.Error()));
    std::optional<ProgressNotifier> progress = ProgressFor(m_session, context, {remoteFile, false, 0, 0});
    m_lastFailureReason = kStopped;
    const bool arrived = m_control->Download({remoteFile, part.Stream(), *target, progress ? &*progress : nullptr});
    m_lastFailureReason = m_control->LastFailureReason();
    if (!arrived) return FALSE;
    if (!part.Commit(!failIfExists)) return Fail(LocalFileProblem(*target, part.Error()));
    return TRUE;
}

BOOL CFtpConnection::PutFile(const std::string& localFile, const std::string& remoteFile, DWORD, DWORD_PTR context)
{
    if (!m_control) return Fail(kClosed);
    const std::optional<std::filesystem::path> source = HostPathOf(localFile);
    if (!source) return Fail(UnmappedPathText(localFile));
    std::string problem;
    const FileStream in = OpenUploadSource(*source, problem);
    if (!in) return Fail(std::move(problem));
    std::optional<ProgressNotifier> progress = ProgressFor(m_session, context, {remoteFile, true, 0, SizeOf(*source)});
    m_lastFailureReason = kStopped;
    const bool stored = m_control->Upload({remoteFile, in.get(), *source, progress ? &*progress : nullptr});
    m_lastFailureReason = m_control->LastFailureReason();
    return stored ? TRUE : FALSE;
}

BOOL CFtpConnection::Fail(std::string reason)
{
    m_lastFailureReason = std::move(reason);
    return FALSE;
}

DWORD CFtpConnection::LastTransferError() const { return m_control ? m_control->LastError() : 0; }

std::string CFtpConnection::LastResponse() const { return m_control ? m_control->LastResponse() : std::string(); }

std::string CFtpConnection::LastFailureReason() const { return m_lastFailureReason; }

void CFtpConnection::Close() { m_control.reset(); }
