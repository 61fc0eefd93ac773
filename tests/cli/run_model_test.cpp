// SPDX-License-Identifier: MIT
// The console's front-ends read the run's typed model, in process: the
// interruption entry follows the phase whatever the status lines say, and
// the JSON result's reason is the one the run gave, seen by a writer that
// sees no message box at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/interruption.h"
#include "cli/json_events.h"
#include "platform/ui/resources.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "tests/support/device_fixture.h"

namespace {

// The program's strings, with the status lines a text-reading front-end
// would have looked for worded otherwise.
class RewordedResources : public ResourceModule {
public:
    std::string LoadString(UINT id) const override
    {
        for (UINT reworded : {IDS_STARTING_FTP_SERVER, IDS_OPENING_FTP_SESSION, IDS_UPGRADING_FIRMWARE_WAIT,
                              IDS_RESETTING})
            if (id == reworded) return "Reworded status " + std::to_string(id);
        return ProgramResources().LoadString(id);
    }
    const DialogTemplate* FindDialog(UINT id) const override { return ProgramResources().FindDialog(id); }
};

// What a first SIGINT would do at the start of each phase: whether it lets
// an upload finish first, and what the entry of an immediate stop says.
struct InterruptionAtPhase {
    RunPhase phase;
    bool waitsForUpload;
    std::string entry;
};

class EntryAtEachPhase : public RunObserver {
public:
    explicit EntryAtEachPhase(InterruptionWatch& watch) : m_watch(watch) {}
    void OnPhase(const RunReport& report) override
    {
        entries.push_back({report.phase, m_watch.WaitsForUpload(), m_watch.Entry("SIGINT")});
    }

    std::vector<InterruptionAtPhase> entries;

private:
    InterruptionWatch& m_watch;
};

class RunModelTest : public DeviceTest {
protected:
    // The JSON result of a run against a device started with `deviceOptions`,
    // written by a JSON writer that follows the run alone.
    nlohmann::json JsonResultOfRun(std::vector<std::string> deviceOptions)
    {
        StartDevice(std::move(deviceOptions));
        StartWizard();
        std::ostringstream out;
        JsonEvents json(out, kDeviceAddress);
        Wizard().AddRunObserver(json);
        RunWith(kDeviceAddress, "");
        json.Result(Wizard().LastRun(), 0);
        return nlohmann::json::parse(out.str().substr(out.str().rfind("{\"time\"")));
    }
};

TEST_F(RunModelTest, InterruptionEntryFollowsThePhaseWhateverTheStatusLinesSay)
{
    const RewordedResources reworded;
    AfxSetResourceModule(&reworded);
    StartDevice();
    StartWizard();
    InterruptionWatch watch;
    EntryAtEachPhase probe(watch);
    Wizard().AddRunObserver(watch);
    Wizard().AddRunObserver(probe);
    RunWith(kDeviceAddress, "");

    const char kUnchanged[] = "The device's firmware was not changed.";
    const char kDownloadMode[] = "The device may be waiting in firmware download mode.";
    const char kPartial[] = "The device may hold a partial firmware image.";
    const char kUploaded[] = "The firmware upload had completed.";
    // Only in the upload does a first signal wait: for the upload to finish.
    const struct {
        RunPhase phase;
        const char* leftWith;
        bool waitsForUpload;
    } expected[] = {
        {RunPhase::InputCheck, kUnchanged, false},     {RunPhase::PackageCheck, kUnchanged, false},
        {RunPhase::WebLogin, kUnchanged, false},       {RunPhase::VersionCheck, kUnchanged, false},
        {RunPhase::DownloadMode, kDownloadMode, false}, {RunPhase::FtpSession, kDownloadMode, false},
        {RunPhase::Backup, kDownloadMode, false},      {RunPhase::Upload, kPartial, true},
        {RunPhase::Completed, kUploaded, false},
    };
    ASSERT_EQ(probe.entries.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(probe.entries[i].phase, expected[i].phase) << i;
        EXPECT_EQ(probe.entries[i].waitsForUpload, expected[i].waitsForUpload) << i;
        EXPECT_TRUE(probe.entries[i].entry.ends_with(expected[i].leftWith)) << probe.entries[i].entry;
    }
    EXPECT_EQ(Wizard().LastRun().end, RunEnd::Completed);
    AfxSetResourceModule(&ProgramResources());
}

TEST_F(RunModelTest, JsonReasonIsTheOneTheRunGave)
{
    struct Case {
        const char* what;
        std::vector<std::string> deviceOptions;
        std::function<void()> prepare;
        const char* result;
        std::string reasonStart;
        std::string reasonEnd;
    };
    const Case cases[] = {
        {"a refused FTP connection names host and port", {"--ftp", "off"}, [] {}, "upload_not_started",
         "127.0.0.1 port ", ": Connection refused"},
        {"the device's reply to a refused upload", {"--stor-fault", "refuse"}, [] {}, "upload_failed",
         "552 Requested file action aborted: storage full.", ""},
        {"a local file: the image that is not there", {},
         [this] { std::filesystem::remove(PackageDirectory() / "fw512000.bin"); }, "package_refused",
         "No such file or directory", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        const nlohmann::json result = JsonResultOfRun(c.deviceOptions);
        EXPECT_EQ(result.at("result"), c.result);
        ASSERT_TRUE(result.at("reason").is_string()) << result.dump();
        const std::string reason = result.at("reason");
        EXPECT_TRUE(reason.starts_with(c.reasonStart)) << reason;
        EXPECT_TRUE(reason.ends_with(c.reasonEnd)) << reason;
        EXPECT_EQ(reason, Wizard().LastRun().failure.Explanation());
        ExitApplication();
        m_sim.reset();
    }
}

}  // namespace
