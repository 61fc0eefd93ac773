#include "upgrade/package_check.h"

#include <optional>
#include <string>

#include "log/run_log.h"
#include "platform/files/file_services.h"
#include "platform/ui/resources.h"
#include "res/resource.h"
#include "upgrade/package_staging.h"

bool CheckPackage(WizardPage& page)
{
    const std::string alternate = AlternateImagePath();
    const std::string image = PathExists(alternate) ? alternate : AfxLoadString(IDS_FIRMWARE_FILE);
    std::optional<std::string> reason = StagingDirectoryProblem();
    if (!reason) reason = ReadableFileProblem(image, EmptyFile::Refused);
    if (!reason) return true;

    const std::string text = "Cannot find " + image;
    WriteLogLine(text);
    page.ShowStatus(text);
    WriteLogLine("Reason: " + *reason);
    page.DialogMessage(text);
    return false;
}
