// SPDX-License-Identifier: MIT
// The wizard window as the dialog manager builds it from template 102:
// every control at its place in the system's own dialog units, the texts,
// focus and default button, the icon and the About entry of the system menu.
#include <string>
#include <vector>

#include "platform/files/windows/wide_text.h"
#include "platform/ui/resources.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "tests/win32/win32_wizard_fixture.h"

namespace {

using WindowLayoutTest = Win32WizardTest;

// A rectangle as the dialog manager places a control: its position and size
// each converted from dialog units.
struct Placement {
    LONG x, y, cx, cy;
    bool operator==(const Placement&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Placement& p)
{
    return out << p.x << ',' << p.y << ' ' << p.cx << 'x' << p.cy;
}

Placement FromDialogUnits(HWND dialog, int x, int y, int cx, int cy)
{
    RECT units{x, y, cx, cy};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.right, units.bottom};
}

Placement PlacementIn(HWND dialog, HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::string TextOf(HWND window)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return Utf8(text);
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); }

// The children without an id of their own, found by what they are.
HWND ChildWhere(HWND dialog, bool (*matches)(HWND))
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == IDC_STATIC && matches(child)) return child;
    return nullptr;
}

TEST_F(WindowLayoutTest, EveryControlOfTemplate102IsAtItsPlace)
{
    StartWizard();
    const DialogTemplate& t = *FindProgramDialog(IDD_UPGRADEWIZARD_DIALOG);
    RECT client{};
    GetClientRect(Window(), &client);
    EXPECT_EQ((Placement{0, 0, client.right, client.bottom}), FromDialogUnits(Window(), 0, 0, t.cx, t.cy));

    for (const ControlTemplate& c : t.controls) {
        if (c.id == IDC_STATIC) continue;
        EXPECT_EQ(PlacementIn(Window(), Control(c.id)), FromDialogUnits(Window(), c.x, c.y, c.cx, c.cy)) << c.id;
    }

    // The picture shows the whole side picture inside its border; the
    // group box frames the introduction, the labels and the fields.
    HWND picture = ChildWhere(Window(), [](HWND w) { return (StyleOf(w) & SS_TYPEMASK) == SS_BITMAP; });
    ASSERT_NE(picture, nullptr);
    const Placement placed = PlacementIn(Window(), picture);
    const Placement side = FromDialogUnits(Window(), 5, 4, 85, 156);
    EXPECT_EQ(placed.x, side.x);
    EXPECT_EQ(placed.y, side.y);
    RECT inside{};
    GetClientRect(picture, &inside);
    EXPECT_EQ(inside.right, 126);
    EXPECT_EQ(inside.bottom, 252);

    HWND box = ChildWhere(Window(), [](HWND w) { return (StyleOf(w) & BS_TYPEMASK) == BS_GROUPBOX; });
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(PlacementIn(Window(), box), FromDialogUnits(Window(), 97, 0, 142, 161));
    EXPECT_EQ(TextOf(box), "");
}

TEST_F(WindowLayoutTest, ShowsTheStringTableTextsWithContinueFocusedAndDefault)
{
    StartWizard();
    EXPECT_EQ(TextOf(Window()), "Varn Halvex Lan Modem Upgrade Wizard");
    const std::vector<std::pair<int, UINT>> texts = {
        {IDC_INTRO, IDS_INTRODUCTION}, {IDC_ADDRESS_LABEL, IDS_ADDRESS_LABEL}, {IDC_PASSWORD_LABEL, IDS_PASSWORD_LABEL},
        {IDC_CONTINUE, IDS_CONTINUE},  {IDCANCEL, IDS_CANCEL},                 {IDC_ADDRESS, IDS_DEFAULT_ADDRESS},
    };
    for (const auto& [id, string] : texts) EXPECT_EQ(TextOf(Control(id)), AfxLoadString(string)) << id;
    EXPECT_EQ(TextOf(Control(IDC_PASSWORD)), "");
    EXPECT_TRUE(StyleOf(Control(IDC_PASSWORD)) & ES_PASSWORD);
    EXPECT_EQ(TextOf(Control(IDC_STATUS)), "");
    EXPECT_TRUE(StyleOf(Control(IDC_STATUS)) & SS_SUNKEN);

    EXPECT_EQ(GetFocus(), Control(IDC_CONTINUE));
    EXPECT_EQ(StyleOf(Control(IDC_CONTINUE)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(StyleOf(Control(IDCANCEL)) & BS_TYPEMASK, BS_PUSHBUTTON);
    // Tab goes through the tab stops in template order.
    for (int id : {IDCANCEL, IDC_ADDRESS, IDC_PASSWORD, IDC_CONTINUE}) {
        Press(Window(), VK_TAB);
        // The dialog manager moves the focus when the message loop takes the key.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(Window(), &message)) DispatchMessageW(&message);
        EXPECT_EQ(GetFocus(), Control(id)) << id;
    }
}

TEST_F(WindowLayoutTest, HasTheIconAndTheAboutEntryAtTheEndOfTheSystemMenu)
{
    StartWizard();
    EXPECT_NE(SendMessageW(Window(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(Window(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_TRUE(GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_APPWINDOW);

    HMENU menu = GetSystemMenu(Window(), FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), IDM_ABOUTBOX);
    wchar_t text[128] = L"";
    GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 128, MF_BYPOSITION);
    EXPECT_EQ(Utf8(text), AfxLoadString(IDS_ABOUTBOX));
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
}

}  // namespace
