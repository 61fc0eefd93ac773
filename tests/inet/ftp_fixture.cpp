// SPDX-License-Identifier: MIT
#include "tests/inet/ftp_fixture.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "platform/files/paths.h"

namespace {

std::string BinaryBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

}  // namespace

void StatusRecordingSession::OnStatusCallback(DWORD_PTR context, DWORD status, const void* information,
                                              DWORD length)
{
    const bool transfer = status == INTERNET_STATUS_TRANSFER_PROGRESS || status == INTERNET_STATUS_TRANSFER_ENDED;
    m_calls.push_back({context, status,
                       transfer ? *static_cast<const InternetTransferProgress*>(information)
                                : InternetTransferProgress{},
                       length});
    if (m_throwFrom != 0 && m_calls.size() >= m_throwFrom) throw std::runtime_error("status callback stops");
}

void FtpTest::SetUp()
{
    InetTest::SetUp();
    // Drive C: of this test on Linux; on Windows drive C: itself, which the
    // tests of the Windows build take one at a time.
    SetEnv("NDXU_DRIVE_C", (m_directory.path() / "drive_c").string());
    m_local = HostPathOf(kProgramDirectory).value();
    std::filesystem::create_directories(m_local);
}

DevSim& FtpTest::StartFtpDevice(std::vector<std::string> options)
{
    options.insert(options.begin(), "--download-mode");
    return StartDevice(std::move(options));
}

std::unique_ptr<CFtpConnection> FtpTest::Connect(const char* user, const char* password, BOOL passive)
{
    return m_session.GetFtpConnection("127.0.0.1", user, password, Device().FtpPort(), passive);
}

std::vector<std::string> FtpTest::Transcript() { return WithPortsMasked(Device().FtpCommands()); }

std::vector<std::string> FtpTest::OtherLocalFiles(const std::string& keep) const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_local))
        if (entry.path().filename() != keep) names.push_back(entry.path().filename().string());
    return names;
}

void WriteLargeFile(const std::filesystem::path& path, std::uint64_t size)
{
    std::ofstream out(path, std::ios::binary);
    const std::string piece = BinaryBytes(1 << 20);
    for (std::uint64_t offset = 0; offset < size; offset += piece.size())
        out.write(piece.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(piece.size(), size - offset)));
}

bool FilesEqual(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::ifstream left(a, std::ios::binary);
    std::ifstream right(b, std::ios::binary);
    std::vector<char> one(1 << 20);
    std::vector<char> two(1 << 20);
    while (left && right) {
        left.read(one.data(), static_cast<std::streamsize>(one.size()));
        right.read(two.data(), static_cast<std::streamsize>(two.size()));
        if (left.gcount() != right.gcount() || !std::equal(one.begin(), one.begin() + left.gcount(), two.begin()))
            return false;
    }
    return left.eof() && right.eof();
}
