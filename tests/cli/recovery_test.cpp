// SPDX-License-Identifier: MIT
// After a failure: every run's journal in the device's history, the past
// runs it gives (--history), a device left in download mode resumed
// (--resume), and a kept profile put back (--restore-profile).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_fixture.h"
#include "upgrade/next_step.h"

namespace {

using Json = nlohmann::json;

class RecoveryTest : public CliTest {
protected:
    std::filesystem::path History(const DevSim& sim) const
    {
        return DriveC() / "varn" / "ndxu511" / "history" /
               DeviceHistoryName("127.0.0.1", sim.HttpPort(), sim.FtpPort());
    }

    // The journal's lines that parse; `torn` counts those that do not.
    std::vector<Json> Journal(const DevSim& sim, int* torn = nullptr) const
    {
        std::vector<Json> lines;
        std::istringstream text(ReadTextFile(History(sim) / "journal.jsonl"));
        for (std::string line; std::getline(text, line);) {
            Json parsed = Json::parse(line, nullptr, false);
            if (parsed.is_discarded()) {
                if (torn) ++*torn;
                continue;
            }
            lines.push_back(std::move(parsed));
        }
        return lines;
    }

    // The phases of the journal's lines of `event`, in order.
    static std::vector<std::string> Phases(const std::vector<Json>& lines, const std::string& event = "phase")
    {
        std::vector<std::string> phases;
        for (const Json& line : lines)
            if (line["event"] == event) phases.push_back(line["phase"]);
        return phases;
    }

    static std::vector<std::string> Stored(const DevSim& sim)
    {
        std::vector<std::string> files;
        for (const FtpRecord& record : sim.FtpRecords())
            if (record.cmd == "STOR") files.push_back(record.arg);
        return files;
    }

    std::vector<std::filesystem::path> Backups(const DevSim& sim) const
    {
        std::vector<std::filesystem::path> backups;
        for (const auto& entry : std::filesystem::directory_iterator(History(sim)))
            if (IsProfileBackup(entry.path())) backups.push_back(entry.path());
        std::sort(backups.begin(), backups.end());
        return backups;
    }

    std::string Image() const { return ReadFileText(m_dir / "package" / "fw512000.bin"); }
};

// Each failure class leaves its phases and an end that says what the device
// is left with.
struct JournalCase {
    const char* title;
    std::vector<std::string> device;
    std::vector<std::string> args;
    int exitStatus;
    std::vector<std::string> phases;
    std::string result;
    Json deviceState;
};

TEST_F(RecoveryTest, EachRunLeavesALinePerPhaseAndItsEnd)
{
    const std::vector<std::string> toDownloadMode = {"package_check", "web_login", "version_check", "download_mode"};
    const auto after = [&](std::vector<std::string> more) {
        std::vector<std::string> phases = toDownloadMode;
        phases.insert(phases.end(), more.begin(), more.end());
        return phases;
    };
    const JournalCase cases[] = {
        {"completed", {}, {}, 0, after({"ftp_session", "backup", "upload", "completed"}), "completed", nullptr},
        {"password refused",
         {"--password", "secret"},
         {},
         5,
         {"package_check", "web_login"},
         "password_refused",
         nullptr},
        {"up to date",
         {"--firmware-version", "5.1.2"},
         {},
         0,
         {"package_check", "web_login", "version_check"},
         "up_to_date",
         nullptr},
        {"FTP login refused",
         {"--ftp", "refuse-login"},
         {},
         9,
         after({"ftp_session"}),
         "upload_not_started",
         "download_mode"},
        {"upload dropped",
         {"--stor-fault", "drop"},
         {},
         10,
         after({"ftp_session", "backup", "upload"}),
         "upload_failed",
         "partial_image"},
        {"never back",
         {"--restart-after-upload", "3600"},
         {"--confirm=3"},
         11,
         after({"ftp_session", "backup", "upload", "completed", "confirmation"}),
         "not_confirmed",
         "not_back"},
    };
    for (const JournalCase& c : cases) {
        SCOPED_TRACE(c.title);
        DevSim sim(c.device);
        std::vector<std::string> args = DeviceArgs(sim);
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult result = Run(args);
        ASSERT_EQ(result.exitStatus, c.exitStatus) << result.err;
        const std::vector<Json> lines = Journal(sim);
        EXPECT_EQ(Phases(lines), c.phases);
        ASSERT_EQ(Phases(lines, "end").size(), 1u);
        const Json& end = lines.back();
        EXPECT_EQ(end["event"], "end");
        EXPECT_EQ(end["result"], c.result);
        EXPECT_EQ(end["exit"], c.exitStatus);
        EXPECT_EQ(end["device_state"], c.deviceState);
        EXPECT_EQ(end["device"], "127.0.0.1");
        EXPECT_EQ(end["image_sha256"].is_string(), c.phases.size() > 2);
        for (const Json& line : lines) EXPECT_EQ(line["run"], end["run"]);
        std::filesystem::remove_all(History(sim));
    }
}

TEST_F(RecoveryTest, HistoryListsThePastRunsOfADeviceAsATableAndAsJson)
{
    DevSim sim;
    ASSERT_EQ(Run(DeviceArgs(sim)).exitStatus, 0);
    DevSim refusing({"--password", "secret"});
    ASSERT_EQ(Run(DeviceArgs(refusing)).exitStatus, 5);

    const std::vector<std::string> ports = {"--http-port", std::to_string(sim.HttpPort()), "--ftp-port",
                                            std::to_string(sim.FtpPort())};
    std::vector<std::string> args = {"--history", "127.0.0.1"};
    args.insert(args.end(), ports.begin(), ports.end());
    const ProcessResult table = Run(args);
    ASSERT_EQ(table.exitStatus, 0) << table.err;
    EXPECT_NE(table.out.find("completed"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("5.0.3"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find("password_refused"), std::string::npos) << "another device's run:\n" << table.out;

    const std::size_t requests = sim.HttpRequests().size() + refusing.HttpRequests().size();
    const ProcessResult every = Run({"--history", "--json"});
    ASSERT_EQ(every.exitStatus, 0) << every.err;
    std::vector<Json> runs;
    std::istringstream lines(every.out);
    for (std::string line; std::getline(lines, line);) runs.push_back(Json::parse(line));
    ASSERT_EQ(runs.size(), 2u) << every.out;
    std::vector<std::string> results = {runs[0]["result"], runs[1]["result"]};
    std::sort(results.begin(), results.end());
    EXPECT_EQ(results, (std::vector<std::string>{"completed", "password_refused"}));
    for (const Json& run : runs) {
        if (run["result"] != "completed") continue;
        EXPECT_EQ(run["version_before"], "5.0.3");
        EXPECT_TRUE(run["backup"].is_string());
        EXPECT_EQ(run["last_phase"], "completed");
    }
    EXPECT_EQ(sim.HttpRequests().size() + refusing.HttpRequests().size(), requests)
        << "--history sends nothing to a device";
}

#ifndef _WIN32
TEST_F(RecoveryTest, ARunKilledMidUploadLeavesAJournalWhoseCompleteLinesParse)
{
    DevSim sim({"--throttle", "16384"});
    const std::string journal = (History(sim) / "journal.jsonl").string();
    // The run is killed once its journal says it uploads; a torn line, as a
    // write stopped half-way leaves it, follows.
    const std::string script = "\"$@\" & pid=$!; for i in $(seq 100); do grep -q '\"upload\"' '" + journal +
                               "' 2>/dev/null && break; sleep 0.1; done; kill -9 $pid; wait $pid; printf "
                               "'{\"run\":\"0123' >> '" +
                               journal + "'";
    const ProcessResult killed = RunInShell(script, DeviceArgs(sim));
    int torn = 0;
    const std::vector<Json> lines = Journal(sim, &torn);
    EXPECT_EQ(torn, 1);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(Phases(lines).back(), "upload");
    EXPECT_TRUE(Phases(lines, "end").empty());

    const ProcessResult history = Run({"--history", "--json"});
    ASSERT_EQ(history.exitStatus, 0) << history.err;
    const Json run = Json::parse(history.out.substr(0, history.out.find('\n')));
    EXPECT_EQ(run["last_phase"], "upload");
    EXPECT_EQ(run["result"], nullptr);
    EXPECT_NE(history.err.find("1 incomplete line(s)"), std::string::npos) << history.err;
}
#endif

TEST_F(RecoveryTest, ResumeUploadsAgainOnlyAfterARunOfThePackageInDownloadMode)
{
    DevSim waiting({"--download-mode", "--download-mode-web", "off"});
    const ProcessResult plain = Run(DeviceArgs(waiting));
    EXPECT_EQ(plain.exitStatus, 4);
    EXPECT_NE(plain.err.find("next: " + AnswersOnlyOnFtpStep().Text()), std::string::npos) << plain.err;
    const std::size_t ftpCommands = waiting.FtpCommands().size();
    std::vector<std::string> resume = DeviceArgs(waiting);
    resume.push_back("--resume");
    const ProcessResult refused = Run(resume);
    EXPECT_EQ(refused.exitStatus, 3) << refused.err;
    EXPECT_NE(refused.err.find("No Run to Resume"), std::string::npos) << refused.err;
    EXPECT_EQ(waiting.FtpCommands().size(), ftpCommands);

    // The device's journal holds the run whose upload broke off.
    DevSim dropping({"--stor-fault", "drop:fw512000.bin"});
    ASSERT_EQ(Run(DeviceArgs(dropping)).exitStatus, 10);
    WriteFileText(History(waiting) / "journal.jsonl", ReadFileText(History(dropping) / "journal.jsonl"));
    const ProcessResult resumed = Run(resume);
    EXPECT_EQ(resumed.exitStatus, 0) << resumed.err;
    EXPECT_EQ(Journal(waiting).back()["result"], "completed") << "a resumed run skips the web pages";
    EXPECT_EQ(ReadFileText(waiting.FtpRoot() / "fw512000.bin"), Image());
    EXPECT_NE(Log().find("Resuming Run "), std::string::npos);
    EXPECT_EQ(Journal(waiting).back()["mode"], "resume");
    EXPECT_EQ(Journal(waiting).back()["result"], "completed");
}

TEST_F(RecoveryTest, ResumeAfterADayOrWithoutAJournalNeedsForce)
{
    DevSim dropping({"--stor-fault", "drop:fw512000.bin"});
    ASSERT_EQ(Run(DeviceArgs(dropping)).exitStatus, 10);
    // The run that entered download mode, as if two days ago.
    std::string journal;
    for (Json line : Journal(dropping)) {
        line["time"] = "2026-01-01T00:00:00.000Z";
        journal += line.dump() + "\n";
    }
    WriteFileText(History(dropping) / "journal.jsonl", journal);
    std::vector<std::string> stale = DeviceArgs(dropping);
    stale.push_back("--resume");
    EXPECT_EQ(Run(stale).exitStatus, 3);

    DevSim waiting({"--download-mode"});
    std::vector<std::string> forced = DeviceArgs(waiting);
    forced.insert(forced.end(), {"--resume", "--force"});
    const ProcessResult result = Run(forced);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(waiting.HttpRequests().empty());
    EXPECT_EQ(ReadFileText(waiting.FtpRoot() / "fw512000.bin"), Image());
}

TEST_F(RecoveryTest, RestoreUploadsAKeptProfileAsProfBinAndNothingElse)
{
    DevSim sim;
    ASSERT_EQ(Run(DeviceArgs(sim)).exitStatus, 0);
    const std::filesystem::path kept = Backups(sim).front();
    WriteFileText(kept, "the profile as it was kept");

    std::vector<std::string> latest = DeviceArgs(sim);
    latest.insert(latest.end(), {"--restore-profile", "latest", "--json"});
    const std::size_t storedBefore = Stored(sim).size();
    const ProcessResult result = Run(latest);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find(R"("result":"profile_restored")"), std::string::npos) << result.out;
    std::vector<std::string> stored = Stored(sim);
    stored.erase(stored.begin(), stored.begin() + static_cast<long>(storedBefore));
    EXPECT_EQ(stored, std::vector<std::string>{"prof.bin"});
    EXPECT_EQ(ReadFileText(sim.FtpRoot() / "prof.bin"), "the profile as it was kept");

    // A profile of another device's history needs --force; one given by
    // name from this device's history does not.
    DevSim other;
    std::vector<std::string> foreign = DeviceArgs(other);
    foreign.insert(foreign.end(), {"--restore-profile", kept.string()});
    EXPECT_EQ(Run(foreign).exitStatus, 3);
    EXPECT_TRUE(other.FtpCommands().empty());
    foreign.push_back("--force");
    ASSERT_EQ(Run(foreign).exitStatus, 0);
    EXPECT_EQ(ReadFileText(other.FtpRoot() / "prof.bin"), "the profile as it was kept");

    std::vector<std::string> named = DeviceArgs(sim);
    WriteFileText(sim.FtpRoot() / "prof.bin", "the profile on the device");
    named.insert(named.end(), {"--restore-profile", kept.string()});
    EXPECT_EQ(Run(named).exitStatus, 0);
    EXPECT_EQ(ReadFileText(sim.FtpRoot() / "prof.bin"), "the profile as it was kept");
}

}  // namespace
