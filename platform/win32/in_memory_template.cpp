// SPDX-License-Identifier: MIT
#include "platform/win32/in_memory_template.h"

#include <climits>
#include <stdexcept>
#include <string>

#include "platform/files/windows/wide_text.h"

namespace {

// The predefined window classes by their atoms.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

class TemplateWriter {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value)
    {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Short(int value)
    {
        if (value < SHRT_MIN || value > SHRT_MAX) throw std::out_of_range("dialog unit value out of range");
        Word(static_cast<WORD>(static_cast<short>(value)));
    }
    void Text(const std::string& utf8)
    {
        for (wchar_t c : Utf16(utf8)) Word(static_cast<WORD>(c));
        Word(0);
    }
    void Ordinal(WORD value)
    {
        Word(0xFFFF);
        Word(value);
    }
    // Each control starts on a DWORD boundary.
    void AlignToDword()
    {
        if (m_words.size() % 2) Word(0);
    }
    std::vector<WORD> Take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

WORD ClassOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::GroupBox: return kButtonClass;
    case ControlKind::Edit: return kEditClass;
    case ControlKind::Static:
    case ControlKind::Picture: return kStaticClass;
    }
    throw std::logic_error("unknown control kind");
}

DWORD StyleOf(const ControlTemplate& control)
{
    DWORD style = WS_CHILD | WS_VISIBLE | control.style;
    if (control.kind == ControlKind::GroupBox) style |= BS_GROUPBOX;
    return style;
}

void WriteControl(TemplateWriter& out, const ControlTemplate& control)
{
    out.AlignToDword();
    out.Dword(0);  // help id
    out.Dword(0);  // extended style
    out.Dword(StyleOf(control));
    out.Short(control.x);
    out.Short(control.y);
    out.Short(control.cx);
    out.Short(control.cy);
    out.Dword(static_cast<DWORD>(control.id));
    out.Ordinal(ClassOf(control.kind));
    if (control.kind == ControlKind::Picture)
        out.Ordinal(static_cast<WORD>(control.imageId));
    else
        out.Text(control.text);
    out.Word(0);  // no creation data
}

}  // namespace

std::vector<WORD> BuildInMemoryTemplate(const DialogTemplate& t)
{
    if (t.controls.size() > 0xFFFF) throw std::length_error("too many controls in dialog template");
    TemplateWriter out;
    out.Word(1);       // version of the extended template
    out.Word(0xFFFF);  // its signature
    out.Dword(0);      // help id
    out.Dword(t.exStyle);
    out.Dword((t.style & ~DWORD{WS_VISIBLE}) | DS_SETFONT);
    out.Word(static_cast<WORD>(t.controls.size()));
    out.Short(0);  // x, y: the system places the window
    out.Short(0);
    out.Short(t.cx);
    out.Short(t.cy);
    out.Word(0);  // no menu
    out.Word(0);  // the dialog window class
    out.Text(t.caption);
    out.Word(static_cast<WORD>(t.fontPointSize));
    out.Word(FW_DONTCARE);
    out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, character set
    out.Text(t.fontName);
    for (const ControlTemplate& control : t.controls) WriteControl(out, control);
    return out.Take();
}
