// SPDX-License-Identifier: MIT
#include "upgrade/firmware_transfer.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

#include "log/run_log.h"
#include "platform/files/file_services.h"
#include "platform/files/paths.h"
#include "platform/inet/ftp_connection.h"
#include "platform/inet/internet_session.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"
#include "upgrade/alternate_files.h"
#include "upgrade/package_staging.h"
#include "upgrade/profile_history.h"
#include "upgrade/transfer_session.h"

namespace {

constexpr char kRemoteProfile[] = "prof.bin";
constexpr char kRemoteBootImage[] = "boot.bin";
constexpr DWORD kDefaultTransferType = 0;

// The device's reason for a refused connection goes into the log; the
// exception still leaves the run, and the framework shows its text.
std::unique_ptr<CFtpConnection> OpenFtpConnection(WizardPage& page, CInternetSession& session,
                                                  const std::string& address)
{
    try {
        return session.GetFtpConnection(address, "", "", INTERNET_DEFAULT_FTP_PORT, FALSE);
    } catch (const CInternetException& e) {
        WriteLogLine("FTP connection failed: " + e.GetErrorMessage());
        if (!e.Detail().empty()) page.GiveReason(e.Detail());
        throw;
    }
}

// No input and no button until the transfer ends.
void HideInputs(WizardPage& page)
{
    page.SetText(IDC_PASSWORD_LABEL, "");
    page.Hide(IDC_CONTINUE);
    page.Hide(IDCANCEL);
    page.Hide(IDC_ADDRESS);
    page.Hide(IDC_PASSWORD);
}

// Phase 9: no input and no button until the run ends.
void ShowTransferScreen(WizardPage& page)
{
    HideInputs(page);
    page.LogAndShow(AfxLoadString(IDS_UPGRADING_FIRMWARE));
    page.SetText(IDC_INTRO, AfxLoadString(IDS_COPYING_FIRMWARE));
    page.SetText(IDC_ADDRESS_LABEL, "");
}

// The profile's bytes go to a new file in the device's history, never over
// another: when another process takes the name while the bytes arrive, the
// download is made again under the next one. The file, or none when the
// download failed.
std::optional<std::string> DownloadIntoHistory(CFtpConnection& ftp, const std::string& directory)
{
    const auto now = std::chrono::system_clock::now();
    for (int n = 1;; ++n) {
        const std::string path = HistoryFileName(directory, now, n);
        if (PathExists(path)) continue;
        if (ftp.GetFile(kRemoteProfile, path, TRUE, FILE_ATTRIBUTE_NORMAL, FTP_TRANSFER_TYPE_BINARY, 1)) return path;
        if (!PathExists(path)) return std::nullopt;
    }
}

// A run that requires its backup stops before the upload when it has none.
bool StopWithoutBackup(WizardPage& page, const std::string& why)
{
    page.GiveReason("no backup, no flash: " + why);
    page.ShowFailure("No Backup of the Profile: the Firmware Was Not Uploaded", MessageIcon::Exclamation);
    page.ShowCancelAsDefault();
    return false;
}

// Whether the run goes on: a run that requires its backup stops.
bool ReportProfileNotSaved(WizardPage& page, CFtpConnection& ftp)
{
    page.LogAndShow("Profile Not Saved");
    if (page.Options().requireBackup) return StopWithoutBackup(page, ftp.LastFailureReason());
    WriteLogLine("Reason: " + ftp.LastFailureReason());
    return true;
}

// The history as the backup finds it: a directory that could be used when
// the run took its device may have been replaced since.
DeviceHistory HistoryNow(const DeviceHistory& opened)
{
    DeviceHistory now = opened;
    if (now.problem.empty()) now.problem = PrivateDirectoryProblem(now.directory).value_or("");
    return now;
}

// A profile that cannot be kept in the history does not stop the upgrade,
// since profback.bin holds it; but the user hears of it.
void ReportHistoryProblem(WizardPage& page, const DeviceHistory& history)
{
    const std::string text = "Profile Not Kept in " + history.directory;
    page.LogAndShow(text);
    page.GiveReason(history.problem);
    page.ApplicationMessage(text);
}

// profback.bin becomes a copy of the profile this run kept, whatever other
// runs do to profback.bin meanwhile.
void CopyToBackup(const std::string& kept, const std::string& backupPath)
{
    if (CopyFile(kept, backupPath, FALSE)) return;
    const std::string text = "Cannot Copy " + kept + " to " + backupPath;
    WriteLogLine(text);
    AfxMessageBox(text, MB_OK);
}

// Phase 11: the device's profile is kept as a backup in the staging
// directory (profback.bin, the last run's) and in the device's history. A
// device may have none, or its history may not be usable; the run goes on
// either way unless it requires its backup. Whether the run goes on.
bool BackUpProfile(WizardPage& page, CFtpConnection& ftp, const std::string& staging, const DeviceHistory& opened)
{
    const std::string backupPath = staging + "\\" + AfxLoadString(IDS_PROFILE_BACKUP_FILE);
    page.EnterPhase(RunPhase::Backup);
    page.LogAndShow(AfxLoadString(IDS_BACKING_UP_PROFILE));
    const DeviceHistory history = HistoryNow(opened);
    if (!history.problem.empty() && page.Options().requireBackup) {
        page.LogAndShow("Profile Not Kept in " + history.directory);
        return StopWithoutBackup(page, history.problem);
    }
    if (!history.problem.empty()) {
        if (!ftp.GetFile(kRemoteProfile, backupPath, FALSE, FILE_ATTRIBUTE_NORMAL, FTP_TRANSFER_TYPE_BINARY, 1))
            return ReportProfileNotSaved(page, ftp);
        page.LogAndShow(AfxLoadString(IDS_PROFILE_SAVED));
        ReportHistoryProblem(page, history);
        return true;
    }
    const std::optional<std::string> kept = DownloadIntoHistory(ftp, history.directory);
    if (!kept) return ReportProfileNotSaved(page, ftp);
    page.LogAndShow(AfxLoadString(IDS_PROFILE_SAVED));
    WriteLogLine("Profile Kept as " + *kept);
    page.ReportBackup(HostPathOf(*kept).value_or(std::filesystem::path()).string());
    CopyToBackup(*kept, backupPath);
    return true;
}

// Phase 12: an alternate image in the staging directory takes the place of
// the package's image. Returns the image to upload.
std::string ChooseFirmwareImage(WizardPage& page)
{
    page.LogAndShow(AfxLoadString(IDS_CHECKING_PROD));
    const std::string alternatePath = StagingPathOf(kAlternateImage);
    if (!PathExists(alternatePath)) return AfxLoadString(IDS_FIRMWARE_FILE);
    WriteLogLine("Alternate prod.bin found");
    page.DialogMessage(AfxLoadString(IDS_PROD_FOUND));
    page.ShowStatus("Alternate Prod.bin found");
    return alternatePath;
}

// Uploads one file; a local file that is not a readable regular file is not
// sent at all (a directory would leave an empty image on the device). A
// refused, broken or unsent upload ends the run with its own message and the
// Cancel button back, so that the window can be closed.
bool Upload(WizardPage& page, CFtpConnection& ftp, const std::string& localPath, const std::string& remoteName)
{
    page.EnterPhase(RunPhase::Upload, remoteName);
    const bool sendable = !ReadableFileProblem(localPath, EmptyFile::Allowed);
    if (sendable && ftp.PutFile(localPath, remoteName, kDefaultTransferType, 1)) return true;
    page.SetEnd(RunEnd::UploadFailed);
    const std::string text = "Cannot Upload " + localPath + " as " + remoteName;
    page.LogAndShow(text);
    if (sendable) page.GiveReason(ftp.LastFailureReason());
    page.ShowFailure(text, MessageIcon::Exclamation);
    page.ShowCancelAsDefault();
    return false;
}

// Phase 14: an alternate profile and an alternate boot image follow the
// firmware when they are present.
bool UploadAlternates(WizardPage& page, CFtpConnection& ftp)
{
    page.LogAndShow("Checking for alternate prof.bin");
    const std::string profilePath = StagingPathOf(kAlternateProfile);
    if (PathExists(profilePath)) {
        WriteLogLine("Alternate Prof.bin found.");
        page.DialogMessage("Alternate Prof.bin found.  Click OK to upload.");
        if (!Upload(page, ftp, profilePath, kRemoteProfile)) return false;
    }

    WriteLogLine("Checking for alternate boot.bin");
    const std::string bootPath = StagingPathOf(kAlternateBootImage);
    if (PathExists(bootPath)) {
        WriteLogLine("Alternate Boot.bin found.");
        page.DialogMessage("Alternate Boot.bin found.  Click OK to upload.");
        page.ShowStatus("Alternate Boot.bin found.");
        if (!Upload(page, ftp, bootPath, kRemoteBootImage)) return false;
    }
    return true;
}

// Phase 16: a single visible button, "Exit".
void ShowCompletionScreen(WizardPage& page)
{
    page.ShowCancelAsDefault();
    WriteLogLine("Firwmware Upgrade Completed");
    page.SetStatusValue(AfxLoadString(IDS_UPGRADE_COMPLETED));
    page.SetText(IDCANCEL, AfxLoadString(IDS_EXIT));
    page.SetText(IDC_INTRO, AfxLoadString(IDS_CONGRATULATIONS));
    page.SetText(IDC_ADDRESS_LABEL, "");
    page.WriteValues();
}

}  // namespace

bool RunFirmwareTransfer(WizardPage& page, const std::string& address, const DeviceHistory& history)
{
    page.EnterPhase(RunPhase::FtpSession);
    page.LogAndShow(AfxLoadString(IDS_OPENING_FTP_SESSION));
    TransferSession session(page);
    std::unique_ptr<CFtpConnection> ftp = OpenFtpConnection(page, session, address);

    ShowTransferScreen(page);
    const std::string staging = StagePackage();
    if (!BackUpProfile(page, *ftp, staging, history)) return false;

    const std::string image = ChooseFirmwareImage(page);
    if (ReadableFileProblem(image, EmptyFile::Allowed)) {
        const std::string text = "Cannot find " + image;
        page.LogAndShow(text);
        page.ShowFailure(text, MessageIcon::None);
        return false;
    }

    page.LogAndShow(AfxLoadString(IDS_UPGRADING_FIRMWARE_WAIT));
    if (!Upload(page, *ftp, image, AfxLoadString(IDS_FIRMWARE_FILE))) return false;
    if (!UploadAlternates(page, *ftp)) return false;

    page.EnterPhase(RunPhase::Completed);
    page.LogAndShow(AfxLoadString(IDS_RESETTING));
    ShowCompletionScreen(page);

    ftp->Close();
    ftp.reset();
    session.Close();
    return true;
}

bool RunProfileRestore(WizardPage& page, const std::string& address, const DeviceHistory& history,
                       const std::string& profile)
{
    page.EnterPhase(RunPhase::FtpSession);
    page.LogAndShow(AfxLoadString(IDS_OPENING_FTP_SESSION));
    TransferSession session(page);
    std::unique_ptr<CFtpConnection> ftp = OpenFtpConnection(page, session, address);

    HideInputs(page);
    page.LogAndShow("Restoring the Profile");
    MakeStagingDirectory();
    if (!BackUpProfile(page, *ftp, kStagingDirectory, history)) return false;
    if (!Upload(page, *ftp, profile, kRemoteProfile)) return false;

    page.EnterPhase(RunPhase::Completed);
    page.ShowCancelAsDefault();
    page.SetText(IDCANCEL, AfxLoadString(IDS_EXIT));
    page.LogAndShow("Profile Restored from " + profile);
    ftp->Close();
    ftp.reset();
    session.Close();
    return true;
}
