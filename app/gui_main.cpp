// ndxu-upgrade-wizard: the wizard window.

#include <QApplication>
#include <exception>
#include <iostream>

#include "app/upgrade_wizard_app.h"
#include "platform/qt/qt_host.h"
#include "res/program_resources.h"
#include "res/resource.h"

int main(int argc, char** argv)
{
    QApplication qtApplication(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("ndxu-upgrade-wizard"));
    try {
        QtHost host(IDR_MAINFRAME);
        AfxSetHost(&host);
        AfxSetResourceModule(&ProgramResources());

        CUpgradeWizardApp app;
        return AfxWinMain(app);
    } catch (const std::exception& e) {
        std::cerr << "ndxu-upgrade-wizard: " << e.what() << '\n';
        return 1;
    }
}
