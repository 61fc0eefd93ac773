// SPDX-License-Identifier: MIT
#include "upgrade/package_check.h"

#include <optional>
#include <string>

#include "log/run_log.h"
#include "platform/files/file_services.h"
#include "platform/ui/resources.h"
#include "res/resource.h"
#include "upgrade/package_manifest.h"
#include "upgrade/package_staging.h"
#include "upgrade/profile_history.h"

namespace {

// The image the run would upload, and its name in the package's manifest.
struct Image {
    std::string path;
    std::string name;
};

Image ImageToUpload()
{
    const std::string alternate = AlternateImagePath();
    if (PathExists(alternate)) return {alternate, "prod.bin"};
    return {AfxLoadString(IDS_FIRMWARE_FILE), AfxLoadString(IDS_FIRMWARE_FILE)};
}

bool Refuse(WizardPage& page, const std::string& text, const std::string& reason)
{
    WriteLogLine(text);
    page.ShowStatus(text);
    page.ExplainNextMessage(reason);
    page.DialogMessage(text);
    return false;
}

// The image against the package's SHA256SUMS; true when it may be flashed.
bool VerifyAgainstManifest(WizardPage& page, const Image& image)
{
    const ImageVerification verification = VerifyImage(kManifestName, image.path, image.name);
    if (!verification.digest.empty())
        WriteLogLine("Image SHA-256: " + verification.digest + " (" + image.path + ")");
    const std::string refusal = "Image Not Verified: " + image.path;
    switch (verification.verdict) {
    case ManifestVerdict::Matches: WriteLogLine("Image Verified against " + std::string(kManifestName)); return true;
    case ManifestVerdict::NoManifest:
        if (!page.Options().requireChecksum) return true;
        return Refuse(page, refusal, "the package has no " + std::string(kManifestName) + " and one is required");
    case ManifestVerdict::Mismatch:
    case ManifestVerdict::NoLine:
    case ManifestVerdict::Unreadable: return Refuse(page, refusal, verification.reason);
    }
    return Refuse(page, refusal, verification.reason);
}

}  // namespace

bool CheckPackage(WizardPage& page)
{
    const Image image = ImageToUpload();
    std::optional<std::string> reason = StagingDirectoryProblem();
    if (!reason) reason = HistoryDirectoryProblem();
    if (!reason) reason = ReadableFileProblem(image.path, EmptyFile::Refused);
    if (reason) return Refuse(page, "Cannot find " + image.path, *reason);
    return VerifyAgainstManifest(page, image);
}

void NameImage(WizardPage& page)
{
    const Image image = ImageToUpload();
    if (ReadableFileProblem(image.path, EmptyFile::Refused)) return;
    const ImageVerification verification = VerifyImage(kManifestName, image.path, image.name);
    if (verification.digest.empty()) return;
    const std::string text = "Image SHA-256: " + verification.digest + " (" + image.path + ")";
    WriteLogLine(text);
    page.ShowStatus(text);
}
