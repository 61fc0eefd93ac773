// SPDX-License-Identifier: MIT
#include "platform/qt/control_widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>
#include <string>

#include "platform/qt/resource_images.h"
#include "platform/qt/static_text.h"

namespace {

// The low bits of a static's style tell what it shows.
constexpr UINT kStaticTypeMask = 0x001F;

bool Has(const Control& control, UINT style) { return (control.tmpl->style & style) == style; }

// Tab stops take the focus by Tab and by click, other fields and buttons by
// click only.
Qt::FocusPolicy FocusPolicyOf(const Control& control)
{
    return Has(control, WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

// Statics, pictures and group boxes let clicks through to what lies below,
// as they do in the classic window layer.
void MakeTransparentForClicks(QWidget& widget)
{
    widget.setFocusPolicy(Qt::NoFocus);
    widget.setAttribute(Qt::WA_TransparentForMouseEvents);
}

QWidget* CreatePushButton(const Control& control, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setAutoDefault(false);
    button->setFocusPolicy(FocusPolicyOf(control));
    return button;
}

QWidget* CreateEdit(const Control& control, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setFrame(Has(control, WS_BORDER));
    if (Has(control, ES_PASSWORD)) edit->setEchoMode(QLineEdit::Password);
    edit->setFocusPolicy(FocusPolicyOf(control));
    return edit;
}

QWidget* CreateStatic(const Control& control, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (Has(control, SS_SUNKEN)) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    MakeTransparentForClicks(*label);
    return label;
}

// A picture takes the size of its image (the border's width added); only
// its position comes from the template.
QWidget* CreatePicture(const Control& control, QWidget* parent)
{
    auto* label = new QLabel(parent);
    const UINT type = control.tmpl->style & kStaticTypeMask;
    const int id = control.tmpl->imageId;
    label->setPixmap(type == SS_ICON ? LoadIconResource(id).pixmap(kIconPictureSize, kIconPictureSize)
                                     : LoadBitmapResource(id));
    if (Has(control, WS_BORDER)) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
    }
    MakeTransparentForClicks(*label);
    return label;
}

QWidget* CreateGroupBox(QWidget* parent)
{
    auto* box = new QGroupBox(parent);
    MakeTransparentForClicks(*box);
    return box;
}

QWidget* CreateWidget(const Control& control, QWidget* parent)
{
    switch (control.kind()) {
    case ControlKind::PushButton: return CreatePushButton(control, parent);
    case ControlKind::Edit: return CreateEdit(control, parent);
    case ControlKind::Static: return CreateStatic(control, parent);
    case ControlKind::Picture: return CreatePicture(control, parent);
    case ControlKind::GroupBox: return CreateGroupBox(parent);
    }
    throw std::logic_error("control " + std::to_string(control.id()) + " is of an unknown kind");
}

}  // namespace

QWidget* CreateControlWidget(const Control& control, const DialogBaseUnits& units, QWidget* parent)
{
    QWidget* widget = CreateWidget(control, parent);
    widget->setObjectName(QString::number(control.id()));
    const ControlTemplate& t = *control.tmpl;
    const QRect rect = DialogUnitsToPixels(units, t.x, t.y, t.cx, t.cy);
    if (control.kind() == ControlKind::Picture)
        widget->setGeometry(QRect(rect.topLeft(), widget->sizeHint()));
    else
        widget->setGeometry(rect);
    UpdateControlWidget(*widget, control);
    return widget;
}

void UpdateControlWidget(QWidget& widget, const Control& control)
{
    const QString text = QString::fromStdString(control.text);
    switch (control.kind()) {
    case ControlKind::PushButton: {
        auto& button = static_cast<QPushButton&>(widget);
        button.setText(text);
        button.setDefault(control.defaultLook);
        break;
    }
    case ControlKind::Edit: {
        auto& edit = static_cast<QLineEdit&>(widget);
        if (edit.text() != text) edit.setText(text);
        break;
    }
    case ControlKind::Static:
        static_cast<QLabel&>(widget).setText(StaticDisplayText(control.text, Has(control, SS_NOPREFIX)));
        break;
    case ControlKind::GroupBox: static_cast<QGroupBox&>(widget).setTitle(text); break;
    case ControlKind::Picture: break;
    }
    widget.setVisible(control.visible);
}
