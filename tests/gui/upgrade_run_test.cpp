// SPDX-License-Identifier: MIT
// Whole upgrade runs through the real widgets against the device simulator:
// the completion screen, the progress bar, and a failure during the transfer.
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QCoreApplication>
#include <algorithm>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "platform/ui/resources.h"
#include "res/resource.h"
#include "tests/gui/qt_wizard_fixture.h"
#include "tests/support/devsim.h"
#include "upgrade/next_step.h"

namespace {

// Notes every text that the status line paints.
class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QLabel& label) : m_label(label) { label.installEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && (texts.isEmpty() || texts.last() != m_label.text()))
            texts << m_label.text();
        return false;
    }

private:
    QLabel& m_label;
};

class UpgradeRunTest : public QtWizardTest {
protected:
    // Starts the simulator, runs the program, and has the user type the
    // address and password and press Continue; `atEnd` sees the screen when
    // the run is over, before the user closes the window.
    // With `webClosed` the program looks for the web pages where nothing
    // listens (the FTP port, before download mode).
    int Run(std::vector<std::string> deviceOptions, std::function<void()> atEnd, bool webClosed = false)
    {
        m_sim = std::make_unique<DevSim>(std::move(deviceOptions));
        m_env.Set("NDXU_HTTP_PORT", std::to_string(webClosed ? m_sim->FtpPort() : m_sim->HttpPort()));
        m_env.Set("NDXU_FTP_PORT", std::to_string(m_sim->FtpPort()));
        m_env.Set("NDXU_CONNECT_TIMEOUT", "5");
        m_env.Set("NDXU_RECEIVE_TIMEOUT", "5");
        return RunApplication([this, atEnd] {
            PaintedTexts painted(Widget<QLabel>(IDC_STATUS));
            TypeInto(IDC_ADDRESS, "127.0.0.1");
            TypeInto(IDC_PASSWORD, "secret");
            Click(IDC_CONTINUE);
            m_painted = painted.texts;
            atEnd();
            Click(IDCANCEL);
        });
    }

    std::vector<int> VisibleButtons()
    {
        std::vector<int> ids;
        for (const Control& control : Wizard().Controls())
            if (control.kind() == ControlKind::PushButton && m_host->ControlWidget(Wizard(), control.id())->isVisible())
                ids.push_back(control.id());
        return ids;
    }

    QString Text(int id) { return Widget<QLabel>(id).text(); }

    std::unique_ptr<DevSim> m_sim;
    QStringList m_painted;
};

QString Loaded(unsigned id) { return QString::fromStdString(AfxLoadString(id)); }

TEST_F(UpgradeRunTest, WholeRunEndsOnTheCompletionScreenWithExitAlone)
{
    int exitCode = Run({"--password", "secret"}, [this] {
        EXPECT_EQ(VisibleButtons(), std::vector<int>{IDCANCEL});
        auto& exitButton = Widget<QPushButton>(IDCANCEL);
        EXPECT_EQ(exitButton.text(), "Exit");
        EXPECT_TRUE(exitButton.isDefault());
        EXPECT_EQ(Window().focusWidget(), &exitButton);
        EXPECT_EQ(Text(IDC_INTRO), Loaded(IDS_CONGRATULATIONS));
        EXPECT_EQ(Text(IDC_STATUS), Loaded(IDS_UPGRADE_COMPLETED));
        EXPECT_FALSE(Widget<QLineEdit>(IDC_ADDRESS).isVisible());
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(m_boxes.empty());
    // The status line was painted at each step while the run blocked.
    for (unsigned step : {IDS_CONNECTING, IDS_PASSWORD_RECOGNIZED, IDS_UPGRADING_FIRMWARE_WAIT})
        EXPECT_TRUE(m_painted.contains(Loaded(step))) << AfxLoadString(step);
}

TEST_F(UpgradeRunTest, RestoreProfileFromTheWindowMenuPutsTheChosenBackupBackAsProfBinAlone)
{
    std::filesystem::path askedAt;
    std::filesystem::path kept;
    m_chooseProfile = [&](const std::string&, const std::filesystem::path& start) {
        askedAt = start;
        return std::optional<std::filesystem::path>(kept);
    };
    m_sim = std::make_unique<DevSim>(std::vector<std::string>{"--password", "secret"});
    const std::filesystem::path history =
        StagingDirectory() / "history" / DeviceHistoryName("127.0.0.1", m_sim->HttpPort(), m_sim->FtpPort());
    std::filesystem::create_directories(history);
    kept = history / "profback-20261201T080000Z.bin";
    WriteFileText(kept, "the profile of last week");
    m_env.Set("NDXU_HTTP_PORT", std::to_string(m_sim->HttpPort()));
    m_env.Set("NDXU_FTP_PORT", std::to_string(m_sim->FtpPort()));
    const int exitCode = RunApplication([this] {
        TypeInto(IDC_ADDRESS, "127.0.0.1");
        TypeInto(IDC_PASSWORD, "secret");
        Wizard().DispatchSysCommand(IDM_RESTOREPROFILE, 0);
        EXPECT_EQ(Wizard().LastRunEnd(), RunEnd::ProfileRestored);
        EXPECT_EQ(VisibleButtons(), std::vector<int>{IDCANCEL});
        EXPECT_EQ(Widget<QPushButton>(IDCANCEL).text(), "Exit");
        Click(IDCANCEL);
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(askedAt, history);
    std::vector<std::string> stored;
    for (const FtpRecord& record : m_sim->FtpRecords())
        if (record.cmd == "STOR") stored.push_back(record.arg);
    EXPECT_EQ(stored, std::vector<std::string>{"prof.bin"});
    EXPECT_EQ(ReadFileText(m_sim->FtpRoot() / "prof.bin"), "the profile of last week");
}

TEST_F(UpgradeRunTest, RefusedUploadLeavesTheFailureInTheStatusLineAndCancelBack)
{
    const QString failure = "Cannot Upload fw512000.bin as fw512000.bin";
    int exitCode = Run({"--password", "secret", "--stor-fault", "refuse"}, [&] {
        EXPECT_EQ(Text(IDC_STATUS), failure);
        EXPECT_EQ(VisibleButtons(), std::vector<int>{IDCANCEL});
        EXPECT_EQ(Widget<QPushButton>(IDCANCEL).text(), "Cancel");
        EXPECT_FALSE(Text(IDC_INTRO).contains("Congratulations"));
    });
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, failure.toStdString());
    EXPECT_EQ(m_boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(m_boxes[0].details, "Reason: 552 Requested file action aborted: storage full.\nNext: " +
                                      PartialImageStep("fw512000.bin").Text());
}

// A failure class: the device's options, the failure's box, and the details
// behind the box's Show Details button, where <ftp-port> stands for the
// simulator's FTP port.
struct FailureBox {
    const char* id;
    std::vector<std::string> device;
    bool webClosed;
    std::string text;  // the string table's `textId` when empty
    unsigned textId;
    QMessageBox::Icon icon;
    std::string details;
};

void PrintTo(const FailureBox& row, std::ostream* out) { *out << row.id; }

const std::string kNotConnected = "A connection with the server could not be established";

const FailureBox kFailureBoxes[] = {
    {"NotReached", {}, true, kNotConnected, 0, QMessageBox::Warning, "Reason: 127.0.0.1 port <ftp-port>: Connection refused"},
    {"WrongPassword", {"--password", "other"}, false, "", IDS_WRONG_PASSWORD_MESSAGE, QMessageBox::Warning,
     "Reason: the device's reply to the login says \"wrong password\""},
    {"NotA5xDevice", {"--firmware-version", "4.2.7"}, false,
     "Device is not a Varn Halvex LAN Modem (North America).  Connect to the correct model device or cancel the "
     "Upgrade Wizard",
     0, QMessageBox::NoIcon, "Reason: the status page shows firmware 4.2.7, not 5.x"},
    {"NoFtpServer", {"--ftp", "off"}, false, kNotConnected, 0, QMessageBox::Critical,
     "Reason: 127.0.0.1 port <ftp-port>: Connection refused\nNext: " + DownloadModeStep().Text()},
    {"UploadDropped", {"--stor-fault", "drop"}, false, "Cannot Upload fw512000.bin as fw512000.bin", 0,
     QMessageBox::Warning, "Reason: the connection to the device was dropped during the transfer\nNext: " + PartialImageStep("fw512000.bin").Text()},
};

class FailureBoxTest : public UpgradeRunTest, public ::testing::WithParamInterface<FailureBox> {};

TEST_P(FailureBoxTest, FailureBoxCarriesItsReasonAndTheDevicesNextStepAsDetails)
{
    const FailureBox& row = GetParam();
    std::vector<std::string> device = {"--password", "secret"};
    device.insert(device.end(), row.device.begin(), row.device.end());
    Run(device, [] {}, row.webClosed);
    std::string details = row.details;
    if (const std::size_t at = details.find("<ftp-port>"); at != std::string::npos)
        details.replace(at, 10, std::to_string(m_sim->FtpPort()));
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, row.text.empty() ? AfxLoadString(row.textId) : row.text);
    EXPECT_EQ(m_boxes[0].icon, row.icon);
    EXPECT_EQ(m_boxes[0].details, details);
}

INSTANTIATE_TEST_SUITE_P(FailureBoxes, FailureBoxTest, ::testing::ValuesIn(kFailureBoxes),
                         [](const ::testing::TestParamInfo<FailureBox>& row) { return row.param.id; });

// Notes the value and the text of the transfer bar each time it is painted.
class PaintedProgress : public QObject {
public:
    PaintedProgress() { QCoreApplication::instance()->installEventFilter(this); }
    std::vector<int> values;
    std::vector<std::string> texts;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* bar = qobject_cast<QProgressBar*>(object);
        if (event->type() == QEvent::Paint && bar && bar->objectName() == QStringLiteral("transferProgress") &&
            bar->format().startsWith(QStringLiteral("fw512000.bin")))
        {
            values.push_back(bar->value());
            texts.push_back(bar->text().toStdString());
        }
        return false;
    }
};

TEST_F(UpgradeRunTest, ProgressBarFollowsTheUploadAndGoesAwayAfter)
{
    WriteFileText(m_dir / "package" / "fw512000.bin", std::string(600 * 1024, '\x42'));
    PaintedProgress painted;
    std::vector<int>& values = painted.values;
    const std::vector<std::string>& texts = painted.texts;
    int exitCode = Run({"--password", "secret", "--throttle", "200000"}, [this] {
        EXPECT_EQ(Window().findChild<QProgressBar*>(QStringLiteral("transferProgress")), nullptr);
        EXPECT_EQ(Text(IDC_STATUS), Loaded(IDS_UPGRADE_COMPLETED));
    });
    EXPECT_EQ(exitCode, 0);
    ASSERT_GE(values.size(), 3u);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_LT(values.front(), values.back());
    // Under way, the bar tells the rate and the time left as the console's
    // meter does; the throttle keeps the rate near 195 KiB/s, so 600 KiB take
    // about three seconds.
    const std::regex underWay(R"(fw512000\.bin  \d+ of 600 KiB  \d+%  (\d+\.\d) KiB/s  0:0\d left)");
    const auto paced = std::find_if(texts.begin(), texts.end(), [&](const std::string& text) {
        std::smatch rate;
        return std::regex_match(text, rate, underWay) && std::stod(rate[1]) > 50 && std::stod(rate[1]) < 400;
    });
    EXPECT_NE(paced, texts.end()) << (texts.empty() ? "" : texts.back());
}

}  // namespace
