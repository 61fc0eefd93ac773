// SPDX-License-Identifier: MIT
// The wizard window and the application object on the recording host:
// initial screen, shut-down, and the application-wide session.
#include <gtest/gtest.h>

#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "tests/support/wizard_fixture.h"

namespace {

class WizardDialogTest : public WizardTest {};

TEST_F(WizardDialogTest, InitialScreenShowsTheTextsOfTheStringTable)
{
    StartWizard();
    EXPECT_EQ(Text(IDC_INTRO), AfxLoadString(IDS_INTRODUCTION));
    EXPECT_EQ(Text(IDC_ADDRESS_LABEL), "Lan Modem Address");
    EXPECT_EQ(Text(IDC_PASSWORD_LABEL), "Password");
    EXPECT_EQ(Text(IDC_CONTINUE), "Continue");
    EXPECT_EQ(Text(IDCANCEL), "Cancel");
    EXPECT_EQ(Text(IDC_ADDRESS), AfxLoadString(IDS_DEFAULT_ADDRESS));
    EXPECT_EQ(Text(IDC_PASSWORD), "");
    EXPECT_EQ(Text(IDC_STATUS), "");
}

TEST_F(WizardDialogTest, ContinueHasTheFocusAndTheDefaultLook)
{
    CUpgradeWizardDlg& wizard = StartWizard();
    EXPECT_EQ(wizard.FocusId(), IDC_CONTINUE);
    EXPECT_TRUE(wizard.FindControl(IDC_CONTINUE)->defaultLook);
    EXPECT_FALSE(wizard.FindControl(IDCANCEL)->defaultLook);
    EXPECT_TRUE(wizard.IsWindowVisible());
}

TEST_F(WizardDialogTest, WindowMenuCarriesTheAboutEntryAfterASeparator)
{
    CUpgradeWizardDlg& wizard = StartWizard();
    ASSERT_EQ(wizard.SystemMenu().size(), 2u);
    EXPECT_EQ(wizard.SystemMenu()[0].id, 0u);
    EXPECT_EQ(wizard.SystemMenu()[1].id, IDM_ABOUTBOX);
    EXPECT_EQ(wizard.SystemMenu()[1].text, "&About NDXU Upgrade Wizard...");
}

TEST_F(WizardDialogTest, WizardIsTheMainWindowAndTheSessionIsOpen)
{
    CUpgradeWizardDlg& wizard = StartWizard();
    EXPECT_EQ(AfxGetMainWnd(), &wizard);
    ASSERT_NE(m_app->Session(), nullptr);
    EXPECT_EQ(m_app->Session()->Agent(), "ReZED");
    EXPECT_TRUE(m_app->Session()->StatusCallbackEnabled());
}

TEST_F(WizardDialogTest, CancelEndsTheProgramWithExitCodeZero)
{
    m_app = std::make_unique<CUpgradeWizardApp>();
    m_host.Queue([&] { m_app->Wizard()->DispatchCommand(IDCANCEL); });
    int exitCode = AfxWinMain(*m_app);

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(m_app->Wizard(), nullptr);
    EXPECT_EQ(m_app->Session(), nullptr);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    m_app.reset();
}

TEST_F(WizardDialogTest, MessageBoxesAreCaptionedWithTheExecutablesName)
{
    StartWizard();
    RunWith("", "");
    ASSERT_EQ(m_host.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_host.MessageBoxes()[0].caption, ExecutableBaseName());
    EXPECT_EQ(m_host.MessageBoxes()[0].caption, "run_tests");
}

}  // namespace
