// SPDX-License-Identifier: MIT
// The window layer's own behaviour: how it reports an exception that leaves
// a command handler, and how a modal dialog ends.
#include <gtest/gtest.h>

#include <functional>
#include <new>

#include "platform/inet/internet_exception.h"
#include "platform/ui/dialog.h"
#include "platform/ui/win_app.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "tests/support/recording_host.h"

namespace {

class CommandDialog : public CDialog {
public:
    CommandDialog() : CDialog(IDD_ABOUTBOX) {}
    std::function<void()> onOk;

protected:
    bool OnCommand(int id) override
    {
        if (id == IDOK && onOk) {
            onOk();
            return true;
        }
        return CDialog::OnCommand(id);
    }
};

class WindowLayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AfxSetHost(&m_host);
        AfxSetResourceModule(&ProgramResources());
        ASSERT_TRUE(m_dialog.Create(IDD_ABOUTBOX));
    }
    void TearDown() override
    {
        m_dialog.DestroyWindow();
        AfxSetHost(nullptr);
    }

    HostEvent ReportOf(std::function<void()> failure)
    {
        m_dialog.onOk = std::move(failure);
        m_dialog.DispatchCommand(IDOK);
        EXPECT_EQ(m_host.MessageBoxes().size(), 1u);
        return m_host.MessageBoxes().at(0);
    }

    RecordingHost m_host;
    CommandDialog m_dialog;
};

TEST_F(WindowLayerTest, ExceptionWithATextIsReportedWithTheStopIcon)
{
    HostEvent box = ReportOf([] { throw CInternetException(ERROR_INTERNET_CANNOT_CONNECT); });
    EXPECT_EQ(box, BoxEvent("A connection with the server could not be established", AfxGetAppName(),
                            MessageIcon::Stop));
}

TEST_F(WindowLayerTest, ExceptionWithoutATextIsAnInternalError)
{
    HostEvent box = ReportOf([] { throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR); });
    EXPECT_EQ(box, BoxEvent("Internal application error.", AfxGetAppName(), MessageIcon::Stop));
}

TEST_F(WindowLayerTest, ServersAnswerIsTheTextOfAnExtendedError)
{
    HostEvent box = ReportOf([] { throw CInternetException(ERROR_INTERNET_EXTENDED_ERROR, "530 Login incorrect."); });
    EXPECT_EQ(box.text, "530 Login incorrect.");
}

TEST_F(WindowLayerTest, OutOfMemoryIsReportedWithTheExclamationIcon)
{
    HostEvent box = ReportOf([] { throw std::bad_alloc(); });
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    EXPECT_EQ(box.text, "Out of memory.");
}

TEST_F(WindowLayerTest, ReportErrorWithoutATextSaysSo)
{
    CInternetException(ERROR_INTERNET_INTERNAL_ERROR).ReportError(MB_OK, 0);
    EXPECT_EQ(m_host.MessageBoxes(), std::vector<HostEvent>{BoxEvent("No error message is available.",
                                                                     AfxGetAppName(), MessageIcon::Exclamation)});
}

TEST_F(WindowLayerTest, ApplicationObjectNamesTheReportsWhileItExists)
{
    {
        CWinApp app("Named Application");
        CInternetException(ERROR_INTERNET_CANNOT_CONNECT).ReportError(MB_ICONSTOP);
    }
    CInternetException(ERROR_INTERNET_CANNOT_CONNECT).ReportError();
    const std::string text = "A connection with the server could not be established";
    EXPECT_EQ(m_host.MessageBoxes(), (std::vector<HostEvent>{BoxEvent(text, "Named Application", MessageIcon::Stop),
                                                              BoxEvent(text, ExecutableBaseName(),
                                                                       MessageIcon::Exclamation)}));
}

TEST_F(WindowLayerTest, ModalDialogEndsWithTheButtonThatClosedIt)
{
    CDialog about(IDD_ABOUTBOX);
    m_host.Queue([&] { about.DispatchCommand(IDOK); });
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_FALSE(about.HasWindow());
}

TEST_F(WindowLayerTest, ModalDialogClosedByTheUserEndsWithCancel)
{
    CDialog about(IDD_ABOUTBOX);
    EXPECT_EQ(about.DoModal(), IDCANCEL);
}

TEST_F(WindowLayerTest, MissingTemplateCreatesNoWindow)
{
    CDialog missing(999);
    EXPECT_FALSE(missing.Create(999));
    EXPECT_FALSE(missing.HasWindow());
}

}  // namespace
