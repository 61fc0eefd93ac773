#include "upgrade/web_exchange.h"

#include <cstring>
#include <memory>

#include "log/run_log.h"
#include "net/page_fetch.h"
#include "platform/ui/resources.h"
#include "res/resource.h"

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

bool Contains(const char* page, const std::string& mark) { return std::strstr(page, mark.c_str()) != nullptr; }

// Judges the reply to the second login; true when the password was taken.
bool JudgeLoginReply(WizardPage& page, const char* reply)
{
    if (Contains(reply, AfxLoadString(IDS_WRONG_PASSWORD_MARK)) || Contains(reply, kGermanRefusal)) {
        WriteLogLine("Bad Password Entered");
        page.ShowStatus(AfxLoadString(IDS_INCORRECT_PASSWORD));
        page.ApplicationMessage(AfxLoadString(IDS_WRONG_PASSWORD_MESSAGE));
        return false;
    }
    if (Contains(reply, AfxLoadString(IDS_OPERATION_FAILED_MARK))) {
        WriteLogLine("Operatation FAILED returned!");
        page.ShowStatus(AfxLoadString(IDS_OPERATION_FAILED));
        page.ApplicationMessage(AfxLoadString(IDS_OPERATION_FAILED));
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
        std::unique_ptr<char[]> reply = FetchPage(1, address, headers, body, kLoginPage);
        if (!reply) {
            page.ShowStatus(NotFoundText(address));
            WriteLogLine(NotFoundText(address));
            return false;
        }
        if (submission == 2) return JudgeLoginReply(page, reply.get());
    }
    return false;
}

// Exchange 3: the status page must carry the version mark.
bool CheckVersion(WizardPage& page, const std::string& address)
{
    page.ShowStatus(AfxLoadString(IDS_CHECKING_VERSION));
    std::unique_ptr<char[]> statusPage = FetchPage(0, address, "", "", kStatusPage);
    if (!statusPage) {
        WriteLogLine(NotFoundText(address));
        page.ShowStatus(NotFoundText(address));
        return false;
    }
    if (!Contains(statusPage.get(), AfxLoadString(IDS_VERSION_MARK))) {
        WriteLogLine("Device is not an NDXU");
        std::string text = WrongDeviceText();
        page.ShowStatus(text);
        page.DialogMessage(text);
        return false;
    }
    WriteLogLine("NDXU Version Verified");
    page.ShowStatus(AfxLoadString(IDS_VERSION_VERIFIED));
    return true;
}

// Exchange 4: any page back means the device has started its FTP server.
bool EnterDownloadMode(WizardPage& page, const std::string& address, const std::string& headers,
                       const std::string& body)
{
    page.ShowStatus(AfxLoadString(IDS_STARTING_FTP_SERVER));
    if (!FetchPage(1, address, headers, body, kMaintenancePage)) {
        page.ShowStatus(NotFoundText(address));
        return false;
    }
    WriteLogLine("FTP Server Started");
    page.ShowStatus(AfxLoadString(IDS_FTP_SERVER_STARTED));
    return true;
}

}  // namespace

bool RunWebExchange(WizardPage& page, const std::string& address, const std::string& password)
{
    const std::string loginBody = AfxLoadString(IDS_LOGIN_FIELD) + password + AfxLoadString(IDS_LOGIN_TAIL);
    const std::string loginHeaders = FormHeaderBlock(address, kLoginPage, loginBody.size() - kUncountedLoginTail);
    const std::string downloadBody = AfxLoadString(IDS_DOWNLOAD_MODE_BODY);
    const std::string downloadHeaders = FormHeaderBlock(address, kMaintenancePage, downloadBody.size());
    WriteLogLine(loginHeaders);

    return LogIn(page, address, loginHeaders, loginBody) && CheckVersion(page, address) &&
           EnterDownloadMode(page, address, downloadHeaders, downloadBody);
}
