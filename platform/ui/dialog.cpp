// SPDX-License-Identifier: MIT
#include "platform/ui/dialog.h"

#include <new>
#include <stdexcept>

#include "platform/base/exception.h"
#include "platform/ui/data_exchange.h"
#include "platform/ui/handler_report.h"
#include "platform/ui/host.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {}

CDialog::~CDialog()
{
    if (m_hasWindow) AfxGetHost().DestroyWindow(*this);
}

bool CDialog::BuildWindow(UINT templateId)
{
    m_pTemplate = AfxFindDialogTemplate(templateId);
    if (!m_pTemplate) return false;
    m_controls.clear();
    m_items.clear();
    m_systemMenu.clear();
    for (const ControlTemplate& tmpl : m_pTemplate->controls) {
        Control control{&tmpl, tmpl.text};
        control.defaultLook = tmpl.kind == ControlKind::PushButton && (tmpl.style & BS_DEFAULT_PUSH);
        m_controls.push_back(control);
    }
    m_hasWindow = true;
    m_visible = false;
    AfxGetHost().CreateWindow(*this);
    return true;
}

void CDialog::FocusFirstTabStop()
{
    for (const Control& control : m_controls) {
        if ((control.tmpl->style & WS_TABSTOP) && control.visible) {
            SetControlFocus(control.id());
            return;
        }
    }
}

BOOL CDialog::Create(UINT templateId)
{
    m_templateId = templateId;
    m_modal = false;
    if (!BuildWindow(templateId)) return FALSE;
    if (OnInitDialog()) FocusFirstTabStop();
    if (m_pTemplate->style & WS_VISIBLE) ShowWindow(SW_SHOW);
    return TRUE;
}

int CDialog::DoModal()
{
    m_modal = true;
    if (!BuildWindow(m_templateId)) return -1;
    if (OnInitDialog()) FocusFirstTabStop();
    ShowWindow(SW_SHOW);
    int result = AfxGetHost().RunModal(*this);
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int result)
{
    if (m_modal)
        AfxGetHost().EndModal(*this, result);
    else
        ShowWindow(SW_HIDE);
}

BOOL CDialog::DestroyWindow()
{
    if (!m_hasWindow) return FALSE;
    AfxGetHost().DestroyWindow(*this);
    m_hasWindow = false;
    m_visible = false;
    return TRUE;
}

BOOL CDialog::ShowWindow(int nCmdShow)
{
    bool wasVisible = m_visible;
    m_visible = nCmdShow != SW_HIDE;
    if (m_hasWindow && wasVisible != m_visible) AfxGetHost().ShowWindow(*this, m_visible);
    return wasVisible ? TRUE : FALSE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

CWnd* CDialog::GetDlgItem(int id)
{
    if (!FindControl(id)) return nullptr;
    auto [it, inserted] = m_items.try_emplace(id, *this, id);
    return &it->second;
}

void CDialog::SetDlgItemText(int id, const std::string& text)
{
    Control& control = ControlById(id);
    if (control.text == text) return;
    control.text = text;
    Changed(control);
}

std::string CDialog::GetDlgItemText(int id) const { return ControlById(id).text; }

int CDialog::MessageBox(const std::string& text, const char* caption, UINT type)
{
    MessageIcon icon = MessageIcon::None;
    if ((type & MB_ICONMASK) == MB_ICONEXCLAMATION) icon = MessageIcon::Exclamation;
    if ((type & MB_ICONMASK) == MB_ICONSTOP) icon = MessageIcon::Stop;
    return AfxGetHost().MessageBox(this, text, caption ? std::string(caption) : AfxGetAppName(), icon);
}

void CDialog::ShowProgress(const ProgressReport& progress)
{
    if (m_hasWindow) AfxGetHost().ShowProgress(*this, progress);
}

void CDialog::EndProgress()
{
    if (m_hasWindow) AfxGetHost().EndProgress(*this);
}

BOOL CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    // The quit message ends the message loop; the dialogs handle no other
    // posted message, so any other is dropped.
    if (message == WM_QUIT) AfxGetHost().PostQuit(static_cast<int>(wParam));
    return TRUE;
}

void CDialog::AppendSystemMenu(UINT id, const std::string& text) { m_systemMenu.push_back({id, text}); }

namespace {

// The framework's report of the exception being handled, which left a
// command handler; an exception it does not report goes on.
void ReportHandlerException()
{
    const std::optional<HandlerReport> report = HandlerReportOf(std::current_exception());
    if (!report) throw;
    AfxGetHost().MessageBox(AfxGetMainWnd(), report->text, AfxGetAppName(), report->icon);
}

}  // namespace

void CDialog::DispatchCommand(int id)
{
    try {
        OnCommand(id);
    } catch (...) {
        ReportHandlerException();
    }
}

void CDialog::DispatchSysCommand(UINT id, LPARAM lParam)
{
    try {
        OnSysCommand(id, lParam);
    } catch (...) {
        ReportHandlerException();
    }
}

void CDialog::ControlEditedByUser(int id, const std::string& text) { ControlById(id).text = text; }

const Control* CDialog::FindControl(int id) const
{
    for (const Control& control : m_controls)
        if (control.id() == id) return &control;
    return nullptr;
}

Control& CDialog::ControlById(int id)
{
    return const_cast<Control&>(static_cast<const CDialog*>(this)->ControlById(id));
}

const Control& CDialog::ControlById(int id) const
{
    const Control* control = FindControl(id);
    if (!control) throw std::out_of_range("dialog has no control " + std::to_string(id));
    return *control;
}

bool CDialog::IsControlVisible(int id) const { return ControlById(id).visible; }

void CDialog::SetControlVisible(int id, bool visible)
{
    Control& control = ControlById(id);
    if (control.visible == visible) return;
    control.visible = visible;
    Changed(control);
}

void CDialog::SetControlFocus(int id)
{
    ControlById(id);
    m_focusId = id;
    if (m_hasWindow) AfxGetHost().FocusChanged(*this, id);
}

void CDialog::SetControlDefaultLook(int id, bool defaultLook)
{
    Control& control = ControlById(id);
    if (control.defaultLook == defaultLook) return;
    control.defaultLook = defaultLook;
    Changed(control);
}

void CDialog::Changed(const Control& control)
{
    if (m_hasWindow) AfxGetHost().ControlChanged(*this, control);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnCommand(int id)
{
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnSysCommand(UINT, LPARAM) {}
