// SPDX-License-Identifier: MIT
#include "upgrade/package_check.h"

#include <stdexcept>

#include "log/run_log.h"
#include "platform/files/environment.h"
#include "platform/files/file_digest.h"
#include "platform/files/file_services.h"
#include "platform/ui/resources.h"
#include "res/resource.h"
#include "upgrade/alternate_files.h"
#include "upgrade/package_signature.h"
#include "upgrade/package_staging.h"
#include "upgrade/package_version.h"
#include "upgrade/profile_history.h"

namespace {

constexpr char kSignatureSetting[] = "NDXU_REQUIRE_SIGNATURE";
// A signature file is four short lines.
constexpr std::size_t kSignatureLimit = 8192;

bool Refuse(WizardPage& page, const std::string& text, const std::string& reason)
{
    WriteLogLine(text);
    page.ShowStatus(text);
    page.GiveReason(reason);
    page.ShowFailure(text, MessageIcon::None);
    return false;
}

// Whether NDXU_REQUIRE_SIGNATURE asks for a signature: any value but 0, so
// that a misspelt value errs on the safe side.
bool SignatureRequiredBySetting()
{
    char value[8] = "";
    const DWORD length = GetEnvironmentVariable(kSignatureSetting, value, sizeof value);
    if (length >= sizeof value) return true;
    return length > 0 && std::string(value, length) != "0";
}

struct PackageTexts {
    std::optional<std::string> manifest;
    std::string manifestProblem;  // why a SHA256SUMS that is there cannot be read
    SignatureCheck signature;
};

// The manifest and what its signature says of it; the manifest is read
// once, so that the lines checked are the lines whose signature was checked.
PackageTexts ReadPackageTexts(const RunOptions& options)
{
    PackageTexts texts;
    try {
        texts.manifest = ReadPackageFile(kManifestName, kManifestLimit);
    } catch (const std::runtime_error& e) {
        texts.manifestProblem = e.what();
        return texts;
    }
    try {
        const std::optional<std::string> signature = ReadPackageFile(kSignatureName, kSignatureLimit);
        const bool required = options.requireSignature || SignatureRequiredBySetting();
        texts.signature =
            CheckPackageSignature(texts.manifest, signature, LoadTrustedKeys(options.trustedKeyFiles), required);
    } catch (const std::runtime_error& e) {
        texts.signature = {SignatureVerdict::Refused, {}, {}, e.what()};
    }
    return texts;
}

// What the log says of a signature the run accepts.
std::string SignatureText(const SignatureCheck& signature)
{
    switch (signature.verdict) {
    case SignatureVerdict::Signed:
        return "Package Signed by key " + signature.keyId + " (" + signature.trustedComment + ")";
    case SignatureVerdict::Unchecked: return "Package Signature Not Checked: " + signature.reason;
    case SignatureVerdict::Unsigned:
    case SignatureVerdict::Refused: break;
    }
    return "Package Not Signed: " + signature.reason;
}

// Logs what the signature says and the package's version; reports them.
std::string NameSignatureAndVersion(WizardPage& page, const SignatureCheck& signature, bool show)
{
    const std::string said = SignatureText(signature);
    const PackageVersion version = PackageVersionOf(signature.trustedComment);
    const std::string named = "Package Version: " + version.version + " (from " + version.source + ")";
    for (const std::string& text : {said, named}) show ? page.LogAndShow(text) : WriteLogLine(text);
    page.ReportPackage(version.version, signature.keyId, signature.trustedComment);
    return version.version;
}

// The image the run would upload, and its name in the package's manifest.
struct Image {
    std::string path;
    std::string name;
};

Image ImageToUpload()
{
    const std::string alternate = StagingPathOf(kAlternateImage);
    if (PathExists(alternate)) return {alternate, "prod.bin"};
    return {AfxLoadString(IDS_FIRMWARE_FILE), AfxLoadString(IDS_FIRMWARE_FILE)};
}

std::string ImageSha256Text(const std::string& digest, const std::string& path)
{
    return "Image SHA-256: " + digest + " (" + path + ")";
}

std::string ImageRefusalText(const std::string& path) { return "Image Not Verified: " + path; }

}  // namespace

bool PackageCheck::Begin(WizardPage& page)
{
    const Image image = ImageToUpload();
    m_imagePath = image.path;
    m_imageName = image.name;
    std::optional<std::string> reason = StagingDirectoryProblem();
    if (!reason) reason = HistoryDirectoryProblem();
    if (!reason) reason = ReadableFileProblem(m_imagePath, EmptyFile::Refused);
    if (reason) return Refuse(page, "Cannot find " + m_imagePath, *reason);

    const std::string refusal = ImageRefusalText(m_imagePath);
    const PackageTexts texts = ReadPackageTexts(page.Options());
    if (!texts.manifestProblem.empty()) return Refuse(page, refusal, texts.manifestProblem);
    if (texts.signature.verdict == SignatureVerdict::Refused)
        return Refuse(page, "Package Signature Not Valid: " + texts.signature.reason, texts.signature.reason);
    m_version = NameSignatureAndVersion(page, texts.signature, false);

    m_line = FindManifestLine(texts.manifest, kManifestName, m_imageName);
    const bool mustMatch = page.Options().requireChecksum || texts.signature.verdict == SignatureVerdict::Signed;
    switch (m_line->verdict) {
    case ManifestVerdict::NoManifest:
        if (mustMatch)
            return Refuse(page, refusal, "the package has no " + std::string(kManifestName) + " and one is required");
        break;
    case ManifestVerdict::NoLine:
    case ManifestVerdict::Unreadable: return Refuse(page, refusal, m_line->reason);
    case ManifestVerdict::Matches:
    case ManifestVerdict::Mismatch: break;
    }
    // The logins and the status page change nothing on the device: the
    // digest of a large image is computed while they are exchanged.
    m_digest = std::async(std::launch::async, Sha256OfFile, m_imagePath);
    return true;
}

bool PackageCheck::Finish(WizardPage& page)
{
    const ImageVerification verification = JudgeImage(*m_line, m_digest.get(), m_imagePath, m_imageName);
    if (!verification.digest.empty()) {
        WriteLogLine(ImageSha256Text(verification.digest, m_imagePath));
        page.ReportImageSha256(verification.digest);
    }
    switch (verification.verdict) {
    case ManifestVerdict::Matches: WriteLogLine("Image Verified against " + std::string(kManifestName)); return true;
    case ManifestVerdict::NoManifest: return true;
    case ManifestVerdict::Mismatch:
    case ManifestVerdict::NoLine:
    case ManifestVerdict::Unreadable: break;
    }
    return Refuse(page, ImageRefusalText(m_imagePath), verification.reason);
}

std::string DescribePackage(WizardPage& page)
{
    const Image image = ImageToUpload();
    if (!ReadableFileProblem(image.path, EmptyFile::Refused)) {
        if (const std::optional<std::string> digest = Sha256OfFile(image.path)) {
            page.LogAndShow(ImageSha256Text(*digest, image.path));
            page.ReportImageSha256(*digest);
        }
    }
    const PackageTexts texts = ReadPackageTexts(page.Options());
    if (!texts.manifestProblem.empty()) {
        page.LogAndShow(ImageRefusalText(image.path) + " (" + texts.manifestProblem + ")");
        return {};
    }
    if (texts.signature.verdict == SignatureVerdict::Refused) {
        page.LogAndShow("Package Signature Not Valid: " + texts.signature.reason);
        return {};
    }
    return NameSignatureAndVersion(page, texts.signature, true);
}
