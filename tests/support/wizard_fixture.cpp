// SPDX-License-Identifier: MIT
#include "tests/support/wizard_fixture.h"

#include "res/program_resources.h"
#include "res/resource.h"

std::string LogEntry(const std::string& text)
{
    return "******" + text + "\n***************************************************\n";
}

std::string NextStepEntries(const NextStep& next)
{
    return LogEntry("Device State: " + next.stateText) + LogEntry("Next Step: " + next.step);
}

void TestHost::OnMessageBox(const std::string& text, const std::string& caption, MessageIcon icon)
{
    RecordingHost::OnMessageBox(text, caption, icon);
    if (auto action = m_boxActions.find(text); action != m_boxActions.end()) action->second();
}

void WizardTest::SetUp()
{
    WizardSandboxTest::SetUp();
    AfxSetHost(&m_host);
    AfxSetResourceModule(&ProgramResources());
}

void WizardTest::TearDown()
{
    if (m_app) ExitApplication();
    AfxSetHost(nullptr);
}

CUpgradeWizardDlg& WizardTest::StartWizard()
{
    m_app = std::make_unique<CUpgradeWizardApp>();
    EXPECT_TRUE(m_app->InitInstance());
    m_host.Clear();
    return Wizard();
}

void WizardTest::RunWith(const std::string& address, const std::string& password)
{
    Wizard().SetDlgItemText(IDC_ADDRESS, address);
    Wizard().SetDlgItemText(IDC_PASSWORD, password);
    Wizard().DispatchCommand(IDC_CONTINUE);
}

int WizardTest::ExitApplication()
{
    int code = m_app->ExitInstance();
    m_app.reset();
    return code;
}

std::string WizardTest::LogText() const { return ReadTextFile(LogPath()); }
