// SPDX-License-Identifier: MIT
#include "tests/cli/fleet_fixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/devsim.h"
#include "tests/support/drive_c.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStartLimit = 15s;

nlohmann::json WaitForPortFile(const std::filesystem::path& path, LaunchedProcess& process)
{
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(path)) return nlohmann::json::parse(std::ifstream(path));
        if (process.Ended()) break;
        std::this_thread::sleep_for(20ms);
    }
    throw std::runtime_error("the device simulator did not become ready");
}

}  // namespace

std::string SimulatedDevice::InventoryLine() const
{
    return host + " http=" + std::to_string(httpPort) + " ftp=" + std::to_string(ftpPort) + "\n";
}

std::size_t SimulatedDevice::RecordCount() const { return Lines(ReadFileText(transcript)).size(); }

SimulatedDevices::SimulatedDevices(const std::filesystem::path& directory, int count, const std::string& firstHost,
                                   std::vector<std::string> options)
{
    std::filesystem::create_directories(directory);
    std::vector<std::string> args = {"/usr/bin/python3", (SourceDirectory() / "tools" / "devsim" / "ndxu-devsim").string(),
                                     "--host", firstHost, "--devices", std::to_string(count), "--consecutive-hosts",
                                     "--http-port", "0", "--ftp-port", "0",
                                     "--port-file", (directory / "ports.json").string(),
                                     "--transcript", (directory / "transcript.jsonl").string(),
                                     "--ftp-root", (directory / "ftp").string(), "--lifetime", "300"};
    args.insert(args.end(), options.begin(), options.end());
    LaunchOptions quiet;
    quiet.out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    m_process = std::make_unique<LaunchedProcess>(args, quiet);
    ::close(quiet.out);
    const nlohmann::json ports = WaitForPortFile(directory / "ports.json", *m_process);
    if (count == 1) {
        m_devices.push_back({firstHost, ports.at("http_port"), ports.at("ftp_port"), directory / "transcript.jsonl"});
        return;
    }
    for (int i = 0; i < count; ++i) {
        const nlohmann::json& device = ports.at("devices").at(i);
        m_devices.push_back({device.at("host"), device.at("http_port"), device.at("ftp_port"),
                             directory / ("transcript." + std::to_string(i) + ".jsonl")});
    }
}

void FleetTest::SetUp()
{
    std::filesystem::create_directories(m_dir / "temp");
    std::string image(kImageSize, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
    WriteFileText(m_dir / "package" / "fw512000.bin", image);
    WriteFileText(m_dir / "package" / "ndxuback.txt", "read me\n");
}

const std::vector<SimulatedDevice>& FleetTest::Simulate(int count, const std::string& firstHost,
                                                        std::vector<std::string> options)
{
    options.insert(options.begin(), {"--password", kPassword});
    const std::filesystem::path directory = m_dir / ("sim-" + std::to_string(m_simulators.size()));
    m_simulators.push_back(std::make_unique<SimulatedDevices>(directory, count, firstHost, std::move(options)));
    return m_simulators.back()->Devices();
}

std::vector<SimulatedDevice> FleetTest::AllDevices() const
{
    std::vector<SimulatedDevice> devices;
    for (const auto& simulator : m_simulators)
        devices.insert(devices.end(), simulator->Devices().begin(), simulator->Devices().end());
    return devices;
}

std::filesystem::path FleetTest::WriteInventory(const std::string& extra)
{
    std::string text = "# the simulated devices\n\n";
    for (const SimulatedDevice& device : AllDevices()) text += device.InventoryLine();
    WriteFileText(m_dir / "inventory.txt", text + extra);
    return m_dir / "inventory.txt";
}

std::vector<std::string> FleetTest::Command(std::vector<std::string> args) const
{
    args.insert(args.begin(), {NDXU_UPGRADE_EXE, "--package", (m_dir / "package").string()});
    return args;
}

std::map<std::string, std::string> FleetTest::Environment() const
{
    return {{"TEMP", (m_dir / "temp").string()},
            {"NDXU_DRIVE_C", (m_dir / "drive_c").string()},
            {"NDXU_PASSWORD", kPassword},
            {"NDXU_CONNECT_TIMEOUT", "5"},
            {"NDXU_RECEIVE_TIMEOUT", "5"}};
}

ProcessResult FleetTest::Run(std::vector<std::string> args)
{
    return RunProcess(Command(std::move(args)), Environment());
}

std::string FleetTest::DeviceLog(const std::string& host) const
{
    for (const SimulatedDevice& device : AllDevices())
        if (device.host == host)
            return ReadFileText(m_dir / "temp" /
                                ("ndxulog-" + DeviceHistoryName(host, device.httpPort, device.ftpPort) + ".txt"));
    throw std::invalid_argument("no simulated device at " + host);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
