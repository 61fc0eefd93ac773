// SPDX-License-Identifier: MIT
// The wizard on the Qt host, in the wizard tests' sandbox. Message boxes are
// recorded and answered with OK; a watchdog ends every event loop of a test
// that hangs.
#pragma once

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QString>
#include <functional>
#include <ostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/upgrade_wizard_app.h"
#include "platform/qt/qt_host.h"
#include "tests/support/wizard_sandbox.h"

// Failures show a QString as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

struct ShownBox {
    std::string text;
    std::string caption;
    QMessageBox::Icon icon;
    Qt::TextFormat format;
    QWidget* owner;
    bool waitCursor;  // whether the wait cursor was up while the box was
    std::string details;  // behind Show Details; empty when the box has none
};

class QtWizardTest : public WizardSandboxTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the application: the wizard is created and shown.
    CUpgradeWizardDlg& StartWizard();
    // Runs the application as main() does, `action` being what the user
    // does first; returns the exit code.
    int RunApplication(std::function<void()> action);
    // Runs `action` in the next event loop that takes timers, a modal one
    // included.
    static void Later(std::function<void()> action);

    CUpgradeWizardDlg& Wizard() { return *m_app->Wizard(); }
    QWidget& Window();
    template <class T>
    T& Widget(int id)
    {
        T* widget = qobject_cast<T*>(m_host->ControlWidget(Wizard(), id));
        if (!widget) throw std::runtime_error("no widget of that kind for control " + std::to_string(id));
        return *widget;
    }
    // Replaces the text of an edit field as a user does: select all, type.
    void TypeInto(int id, const QString& text);
    void Click(int id);
    // A key pressed in `window`, delivered as the window system delivers it.
    static void Press(QWidget& window, Qt::Key key);

    std::unique_ptr<QtHost> m_host;
    std::unique_ptr<CUpgradeWizardApp> m_app;
    // The file chooser the window's "Restore Profile..." asks; none: no such entry.
    ProfileChooser m_chooseProfile;
    std::vector<ShownBox> m_boxes;

private:
    bool m_ended = false;
};
