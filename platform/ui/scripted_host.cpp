// SPDX-License-Identifier: MIT
#include "platform/ui/scripted_host.h"

#include "platform/ui/dialog.h"
#include "platform/ui/win_app.h"

void ScriptedHost::ControlChanged(CDialog& dialog, const Control& control)
{
    // What the user sees: a window being set up shows nothing yet.
    if (dialog.IsWindowVisible() && control.kind() == ControlKind::Static && (control.tmpl->style & SS_SUNKEN))
        OnStatus(control.text);
}

int ScriptedHost::MessageBox(CDialog*, const std::string& text, const std::string& caption,
                             MessageIcon icon)
{
    OnMessageBox(text, caption, icon);
    return IDOK;
}

bool ScriptedHost::TakeAction()
{
    if (m_actions.empty()) return false;
    Action action = std::move(m_actions.front());
    m_actions.pop_front();
    action();
    return true;
}

int ScriptedHost::RunModal(CDialog& dialog)
{
    m_modalResult.reset();
    while (!m_modalResult) {
        if (!TakeAction()) dialog.DispatchCommand(IDCANCEL);
    }
    return *m_modalResult;
}

void ScriptedHost::EndModal(CDialog&, int result) { m_modalResult = result; }

int ScriptedHost::RunMessageLoop()
{
    while (!m_quitCode) {
        if (TakeAction()) continue;
        CDialog* main = AfxGetMainWnd();
        if (!main) return 0;
        main->DispatchCommand(IDCANCEL);
        if (!m_quitCode) return 0;
    }
    int code = *m_quitCode;
    m_quitCode.reset();
    return code;
}
