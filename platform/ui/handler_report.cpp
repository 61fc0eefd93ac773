// SPDX-License-Identifier: MIT
#include "platform/ui/handler_report.h"

#include <new>

#include "platform/base/exception.h"
#include "platform/ui/resources.h"

namespace {

HandlerReport Report(const std::string& text, MessageIcon icon)
{
    return {text.empty() ? AfxLoadString(AFX_IDP_INTERNAL_FAILURE) : text, icon};
}

}  // namespace

std::optional<HandlerReport> HandlerReportOf(const std::exception_ptr& exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const CException& e) {
        return Report(e.GetErrorMessage(), MessageIcon::Stop);
    } catch (const std::bad_alloc&) {
        return Report("Out of memory.", MessageIcon::Exclamation);
    } catch (const std::exception& e) {
        return Report(e.what(), MessageIcon::Stop);
    } catch (...) {
        return std::nullopt;
    }
}
