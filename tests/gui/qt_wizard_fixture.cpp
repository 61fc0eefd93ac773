// SPDX-License-Identifier: MIT
#include "tests/gui/qt_wizard_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest/QTest>
#include <chrono>

#include "platform/qt/message_box.h"
#include "res/program_resources.h"
#include "res/resource.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kWatchdogLimit = 60s;
constexpr int kHungExitCode = 99;
QTimer* g_watchdog = nullptr;

void StartWatchdog()
{
    g_watchdog = new QTimer;
    g_watchdog->setSingleShot(true);
    QObject::connect(g_watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "the test hung; its event loops were ended";
        QCoreApplication::exit(kHungExitCode);
    });
    g_watchdog->start(kWatchdogLimit);
}

}  // namespace

void QtWizardTest::SetUp()
{
    WizardSandboxTest::SetUp();

    m_host = std::make_unique<QtHost>(IDR_MAINFRAME);
    AfxSetHost(m_host.get());
    AfxSetResourceModule(&ProgramResources());
    SetMessageBoxObserver([this](const QMessageBox& box) {
        m_boxes.push_back({box.text().toStdString(), box.windowTitle().toStdString(), box.icon(),
                           box.textFormat(), box.parentWidget(), QApplication::overrideCursor() != nullptr,
                           box.detailedText().toStdString()});
    });
    StartWatchdog();
}

void QtWizardTest::TearDown()
{
    delete g_watchdog;
    g_watchdog = nullptr;
    SetMessageBoxObserver(nullptr);
    if (m_app && !m_ended) m_app->ExitInstance();
    m_app.reset();
    m_host.reset();
    AfxSetHost(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

CUpgradeWizardDlg& QtWizardTest::StartWizard()
{
    m_app = std::make_unique<CUpgradeWizardApp>(RunOptions{}, m_chooseProfile);
    if (!m_app->InitInstance()) throw std::runtime_error("the application did not start");
    return Wizard();
}

int QtWizardTest::RunApplication(std::function<void()> action)
{
    m_app = std::make_unique<CUpgradeWizardApp>(RunOptions{}, m_chooseProfile);
    Later(std::move(action));
    m_ended = true;
    return AfxWinMain(*m_app);
}

void QtWizardTest::Later(std::function<void()> action) { QTimer::singleShot(1ms, std::move(action)); }

QWidget& QtWizardTest::Window()
{
    QWidget* window = m_host->Window(Wizard());
    if (!window) throw std::runtime_error("the wizard has no window");
    return *window;
}

void QtWizardTest::TypeInto(int id, const QString& text)
{
    auto& edit = Widget<QLineEdit>(id);
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, text);
}

void QtWizardTest::Click(int id) { QTest::mouseClick(&Widget<QAbstractButton>(id), Qt::LeftButton); }

void QtWizardTest::Press(QWidget& window, Qt::Key key) { QTest::keyClick(window.windowHandle(), key); }
