// SPDX-License-Identifier: MIT
// Times 64 MB uploads to the device simulator on a session with status
// notifications on and on one with them off, taking turns, and prints the
// median of each: the progress must cost no time that shows.
//
// Usage: inet_progress_bench [RUNS]   (default 5 of each)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/files/paths.h"
#include "platform/inet/ftp_connection.h"
#include "platform/inet/internet_session.h"
#include "tests/support/devsim.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::uint64_t kSize = 64ull << 20;

class CountingSession : public CInternetSession {
public:
    CountingSession() : CInternetSession("bench") {}
    void OnStatusCallback(DWORD_PTR, DWORD, const void*, DWORD) override { ++calls; }
    long calls = 0;
};

void WriteImage(const std::filesystem::path& path)
{
    std::ofstream out(path, std::ios::binary);
    std::string piece(1 << 20, '\0');
    for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>(i * 131 & 0xFF);
    for (std::uint64_t done = 0; done < kSize; done += piece.size())
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
        if (runs < 1) throw std::invalid_argument("RUNS must be a positive number");
        TempDir directory;
        WriteImage(directory / "image.bin");
        const std::string image = ProgramPathOf(directory / "image.bin");
        DevSim device({"--download-mode"});
        std::vector<double> seconds[2];
        long calls = 0;
        for (int run = 0; run < runs; ++run) {
            for (const bool notified : {false, true}) {
                CountingSession session;
                session.EnableStatusCallback(notified ? TRUE : FALSE);
                std::unique_ptr<CFtpConnection> ftp = session.GetFtpConnection("127.0.0.1", "", "", device.FtpPort());
                const auto start = std::chrono::steady_clock::now();
                if (!ftp->PutFile(image, "image.bin"))
                    throw std::runtime_error("upload failed: " + ftp->LastFailureReason());
                seconds[notified].push_back(
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
                ftp->Close();
                calls += session.calls;
            }
        }
        std::printf("64 MB upload, %d runs each\n", runs);
        std::printf("notifications off: median %.3f s (min %.3f, max %.3f)\n", Median(seconds[0]),
                    *std::min_element(seconds[0].begin(), seconds[0].end()),
                    *std::max_element(seconds[0].begin(), seconds[0].end()));
        std::printf("notifications on:  median %.3f s (min %.3f, max %.3f), %.1f calls per upload\n",
                    Median(seconds[1]), *std::min_element(seconds[1].begin(), seconds[1].end()),
                    *std::max_element(seconds[1].begin(), seconds[1].end()), static_cast<double>(calls) / runs);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "inet_progress_bench: %s\n", e.what());
        return 1;
    }
}
