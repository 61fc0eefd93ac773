// SPDX-License-Identifier: MIT
#include "upgrade/web_exchange.h"

#include <cstring>
#include <memory>
#include <optional>

#include "log/run_log.h"
#include "net/device_probe.h"
#include "net/page_fetch.h"
#include "platform/inet/device_text.h"
#include "platform/inet/inet_types.h"
#include "platform/ui/resources.h"
#include "res/resource.h"
#include "upgrade/firmware_version.h"

namespace {

constexpr char kLoginPage[] = "/enter.htm";
constexpr char kStatusPage[] = "/stat1.htm";
constexpr char kMaintenancePage[] = "/maintena.htm";
constexpr char kGermanRefusal[] = "Kennwort ist falsch";

// The login body's closing CR LF is not counted in its declared length.
constexpr std::size_t kUncountedLoginTail = 2;

// The header block of a form post: Referer, Content-Type and the declared
// Content-Length, each line ending in LF.
std::string FormHeaderBlock(const std::string& address, const std::string& object, std::size_t declaredLength)
{
    return "Referer: http://" + address + object + "\n" + "Content-Type: application/x-www-form-urlencoded\n" +
           "Content-Length: " + std::to_string(declaredLength) + "\n";
}

std::string NotFoundText(const std::string& address) { return AfxLoadString(IDS_CANNOT_FIND_MODEM) + address + "\""; }

std::string WrongDeviceText()
{
    return AfxLoadString(IDS_WRONG_DEVICE_HEAD) + AfxLoadString(IDS_MODEL_NAME) + AfxLoadString(IDS_WRONG_DEVICE_TAIL);
}

// One page from the device; when none comes back, the failure the fetch
// showed is the run's, with what failed where as its reason.
std::unique_ptr<char[]> Fetch(WizardPage& page, int post, const std::string& address, const std::string& headers,
                              const std::string& body, const char* object, FetchFailure* failure = nullptr)
{
    FetchFailure shown;
    std::unique_ptr<char[]> reply = FetchPage(post, address, headers, body, object, [&](const FetchFailure& f) {
        shown = f;
        if (!f.detail.empty()) page.GiveReason(f.detail);
    });
    if (!reply) page.FailureShown(shown.shown, MessageIcon::Exclamation);
    if (failure) *failure = shown;
    return reply;
}

// A device whose web pages neither answer nor refuse may wait in a download
// mode that serves FTP alone; the run says so when its FTP server takes the
// anonymous login.
void LookForDownloadMode(WizardPage& page, const std::string& address, const FetchFailure& failure)
{
    if (failure.code != ERROR_INTERNET_CANNOT_CONNECT && failure.code != ERROR_INTERNET_TIMEOUT) return;
    if (FtpTakesAnonymousLogin(address)) page.ReportNextStep(AnswersOnlyOnFtpStep());
}

// Why a status page without the version mark is no device to upgrade: the
// firmware version it shows, or that it shows none.
std::string NotMarkedReason(const std::string& statusPage, const std::string& mark)
{
    const std::optional<std::string> shown = ShownFirmwareVersion(statusPage);
    if (!shown) return "no firmware version can be read from the status page, so it is no " + mark + "x device";
    return "the status page shows firmware " + *shown + ", not " + mark + "x";
}

bool Contains(const char* page, const std::string& mark) { return std::strstr(page, mark.c_str()) != nullptr; }

// Why the login failed: the device's own words found in its reply.
std::string RefusalReason(const std::string& mark) { return "the device's reply to the login says \"" + mark + "\""; }

// Judges the reply to the second login; true when the password was taken.
bool JudgeLoginReply(WizardPage& page, const char* reply)
{
    const std::string refusal = AfxLoadString(IDS_WRONG_PASSWORD_MARK);
    const bool refused = Contains(reply, refusal);
    if (refused || Contains(reply, kGermanRefusal)) {
        page.SetEnd(RunEnd::PasswordRefused);
        WriteLogLine("Bad Password Entered");
        page.ShowStatus(AfxLoadString(IDS_INCORRECT_PASSWORD));
        page.GiveReason(RefusalReason(refused ? refusal : kGermanRefusal));
        page.ShowFailure(AfxLoadString(IDS_WRONG_PASSWORD_MESSAGE), MessageIcon::Exclamation);
        return false;
    }
    const std::string failed = AfxLoadString(IDS_OPERATION_FAILED_MARK);
    if (Contains(reply, failed)) {
        page.SetEnd(RunEnd::PasswordRefused);
        WriteLogLine("Operatation FAILED returned!");
        page.ShowStatus(AfxLoadString(IDS_OPERATION_FAILED));
        page.GiveReason(RefusalReason(failed));
        page.ShowFailure(AfxLoadString(IDS_OPERATION_FAILED), MessageIcon::Exclamation);
        return false;
    }
    WriteLogLine("Password Recognized");
    page.ShowStatus(AfxLoadString(IDS_PASSWORD_RECOGNIZED));
    return true;
}

// Exchanges 1 and 2: the login form, posted twice; only the second reply is
// judged.
bool LogIn(WizardPage& page, const std::string& address, const std::string& headers, const std::string& body)
{
    for (int submission = 1; submission <= 2; ++submission) {
        FetchFailure failure;
        std::unique_ptr<char[]> reply = Fetch(page, 1, address, headers, body, kLoginPage, &failure);
        if (!reply) {
            page.SetEnd(RunEnd::DeviceNotReached);
            page.ShowStatus(NotFoundText(address));
            WriteLogLine(NotFoundText(address));
            if (submission == 1) LookForDownloadMode(page, address, failure);
            return false;
        }
        if (submission == 2) return JudgeLoginReply(page, reply.get());
    }
    return false;
}

// Exchange 3: the status page must carry the version mark. Returns the
// firmware version found, none when the run ends here.
std::optional<std::string> CheckVersion(WizardPage& page, const std::string& address)
{
    page.ShowStatus(AfxLoadString(IDS_CHECKING_VERSION));
    std::unique_ptr<char[]> statusPage = Fetch(page, 0, address, "", "", kStatusPage);
    if (!statusPage) {
        page.SetEnd(RunEnd::DeviceNotReached);
        WriteLogLine(NotFoundText(address));
        page.ShowStatus(NotFoundText(address));
        return std::nullopt;
    }
    const std::string mark = AfxLoadString(IDS_VERSION_MARK);
    if (!HasVersionMark(statusPage.get(), mark)) {
        page.SetEnd(RunEnd::WrongDevice);
        WriteLogLine("Device is not an NDXU");
        std::string text = WrongDeviceText();
        page.ShowStatus(text);
        page.GiveReason(NotMarkedReason(DeviceText(statusPage.get()), mark));
        page.ShowFailure(text, MessageIcon::None);
        return std::nullopt;
    }
    WriteLogLine("NDXU Version Verified");
    page.ShowStatus(AfxLoadString(IDS_VERSION_VERIFIED));
    // The version is the page's text the run shows, logs and reports.
    return DeviceText(FirmwareVersionOf(statusPage.get(), mark));
}

// Exchange 4: any page back means the device has started its FTP server.
bool EnterDownloadMode(WizardPage& page, const std::string& address, const std::string& headers,
                       const std::string& body)
{
    page.ShowStatus(AfxLoadString(IDS_STARTING_FTP_SERVER));
    if (!Fetch(page, 1, address, headers, body, kMaintenancePage)) {
        page.SetEnd(RunEnd::DownloadModeRefused);
        page.ShowStatus(NotFoundText(address));
        return false;
    }
    page.ReportDeviceChanged();
    WriteLogLine("FTP Server Started");
    page.ShowStatus(AfxLoadString(IDS_FTP_SERVER_STARTED));
    return true;
}

struct LoginRequest {
    std::string body;
    std::string headers;
};

LoginRequest LoginRequestFor(const std::string& address, const std::string& password)
{
    std::string body = AfxLoadString(IDS_LOGIN_FIELD) + password + AfxLoadString(IDS_LOGIN_TAIL);
    std::string headers = FormHeaderBlock(address, kLoginPage, body.size() - kUncountedLoginTail);
    return {std::move(body), std::move(headers)};
}

}  // namespace

bool RunWebExchange(WizardPage& page, const std::string& address, const std::string& password,
                    const DownloadModeGate& mayEnterDownloadMode)
{
    const std::string downloadBody = AfxLoadString(IDS_DOWNLOAD_MODE_BODY);
    const std::string downloadHeaders = FormHeaderBlock(address, kMaintenancePage, downloadBody.size());
    const std::optional<std::string> version = CheckDevice(page, address, password, CheckPhases::Enter);
    if (!version) return false;
    page.ReportVersionBefore(*version);
    if (!mayEnterDownloadMode(*version)) return false;
    page.EnterPhase(RunPhase::DownloadMode);
    return EnterDownloadMode(page, address, downloadHeaders, downloadBody);
}

std::optional<std::string> CheckDevice(WizardPage& page, const std::string& address, const std::string& password,
                                       CheckPhases phases)
{
    const LoginRequest login = LoginRequestFor(address, password);
    WriteLogLine(login.headers);
    if (!LogIn(page, address, login.headers, login.body)) return std::nullopt;
    if (phases == CheckPhases::Enter) page.EnterPhase(RunPhase::VersionCheck);
    return CheckVersion(page, address);
}
