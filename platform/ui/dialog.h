// SPDX-License-Identifier: MIT
// A dialog: a window built from a dialog template, whose controls the window
// layer keeps as a model that the host shows. Every window of the program is
// a dialog.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/ui/control.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/progress_report.h"
#include "platform/ui/wnd.h"

class CDataExchange;

struct MenuEntry {
    UINT id;  // 0 for a separator
    std::string text;
};

class CDialog {
public:
    explicit CDialog(UINT templateId);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the window modeless and initialises it; FALSE when the
    // template does not exist.
    BOOL Create(UINT templateId);
    // Creates the window, runs it modally until EndDialog and destroys it.
    int DoModal();
    void EndDialog(int result);
    // Destroys the window; nothing happens when there is none.
    BOOL DestroyWindow();

    bool HasWindow() const { return m_hasWindow; }
    BOOL ShowWindow(int nCmdShow);
    bool IsWindowVisible() const { return m_visible; }

    // TRUE: controls to values; FALSE: values to controls.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    CWnd* GetDlgItem(int id);
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;

    // A message box owned by this dialog, captioned with the application
    // name when no caption is given; shows the icon that `type` asks for.
    int MessageBox(const std::string& text, const char* caption = nullptr, UINT type = MB_OK);

    // A transfer's progress, shown by the window while the transfer runs; the
    // end hides it again.
    void ShowProgress(const ProgressReport& progress);
    void EndProgress();

    // Posts a message to this window: WM_QUIT ends the message loop.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Entries that the program appended to the window menu.
    void AppendSystemMenu(UINT id, const std::string& text);
    const std::vector<MenuEntry>& SystemMenu() const { return m_systemMenu; }

    // Entry points for the host: a button click, Enter (the default button's
    // id) or Escape (IDCANCEL); a window-menu command; text the user typed.
    // An exception that leaves a command handler is reported in a message box.
    void DispatchCommand(int id);
    void DispatchSysCommand(UINT id, LPARAM lParam);
    void ControlEditedByUser(int id, const std::string& text);

    // The model, as hosts and tests read it.
    const DialogTemplate& Template() const { return *m_pTemplate; }
    const std::vector<Control>& Controls() const { return m_controls; }
    const Control* FindControl(int id) const;
    int FocusId() const { return m_focusId; }

    // Control operations behind CWnd.
    bool IsControlVisible(int id) const;
    void SetControlVisible(int id, bool visible);
    void SetControlFocus(int id);
    void SetControlDefaultLook(int id, bool defaultLook);

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Routes a command; the dialog's own handlers come before IDOK and
    // IDCANCEL. Returns whether the command was handled.
    virtual bool OnCommand(int id);
    virtual void OnSysCommand(UINT id, LPARAM lParam);

private:
    bool BuildWindow(UINT templateId);
    void FocusFirstTabStop();
    Control& ControlById(int id);
    const Control& ControlById(int id) const;
    void Changed(const Control& control);

    UINT m_templateId;
    const DialogTemplate* m_pTemplate = nullptr;
    std::vector<Control> m_controls;
    std::map<int, CWnd> m_items;
    std::vector<MenuEntry> m_systemMenu;
    bool m_hasWindow = false;
    bool m_visible = false;
    bool m_modal = false;
    int m_focusId = 0;
};
