#include "app/DialogBuilder.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTimeEdit>

#include "app/ControlId.h"
#include "app/resources/ControlTips.h"
#include "controls/ChannelListCtrl.h"
#include "controls/FlatButton.h"
#include "controls/QuorvRoundSliderCtrl.h"
#include "controls/UpDownCtrl.h"
#include "platform/FontMap.h"

namespace {

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    if (control.style & kStyleDigitsOnly) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    return edit;
}

QWidget* CreateTimePicker(const ControlTemplate& control, QWidget* parent) {
    auto* picker = new QTimeEdit(parent);
    picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    if (control.style & kStyleRightAlign) {
        picker->setAlignment(Qt::AlignRight);
    }
    return picker;
}

QWidget* CreateDefault(const ControlTemplate& control, QWidget* parent) {
    const QString text = QString::fromLatin1(control.text);
    switch (control.controlClass) {
        case ControlClass::UpDown:
            return new UpDownCtrl(control.style & kStyleHorizontal
                                      ? UpDownCtrl::Orientation::Horizontal
                                      : UpDownCtrl::Orientation::Vertical,
                                  parent);
        case ControlClass::Static:
            return new QLabel(text, parent);
        case ControlClass::PushButton:
            return new FlatButton(text, parent);
        case ControlClass::CheckBox:
            return new QCheckBox(text, parent);
        case ControlClass::GroupBox:
            return new QGroupBox(text, parent);
        case ControlClass::Trackbar:
            return new QuorvRoundSliderCtrl(parent);
        case ControlClass::DateTimePicker:
            return CreateTimePicker(control, parent);
        case ControlClass::Edit:
            return CreateEdit(control, parent);
        case ControlClass::ListView:
            return new ChannelListCtrl(parent);
        case ControlClass::Frame: {
            auto* frame = new QFrame(parent);
            frame->setFrameShape(QFrame::Box);
            return frame;
        }
    }
    return nullptr;
}

// Labels, group boxes and frames only show: they take no clicks, as the window
// system's statics didn't, and lie beneath the controls. A group box comes
// last in its template, and would otherwise cover the fields it frames.
bool OnlyShows(ControlClass controlClass) {
    return controlClass == ControlClass::Static || controlClass == ControlClass::GroupBox ||
           controlClass == ControlClass::Frame;
}

// An automatic buddy is the control made just before the up-down.
void AttachToBuddy(const ControlTemplate& control, QWidget* widget, QWidget* previous) {
    auto* upDown = qobject_cast<UpDownCtrl*>(widget);
    auto* edit = qobject_cast<QLineEdit*>(previous);
    if (upDown == nullptr || edit == nullptr || !(control.style & kStyleAutoBuddy)) {
        return;
    }
    upDown->SetBuddy(edit,
                     control.style & kStyleRightAlign ? UpDownCtrl::Alignment::RightOfBuddy
                                                      : UpDownCtrl::Alignment::Beside,
                     control.style & kStyleArrowKeys ? UpDownCtrl::ArrowKeys::Step
                                                     : UpDownCtrl::ArrowKeys::Ignored);
}

}  // namespace

QRect DialogBuilder::ToPixels(const ControlTemplate& control) {
    return QRect(control.x * kBaseUnitX / 4, control.y * kBaseUnitY / 8,
                 control.width * kBaseUnitX / 4, control.height * kBaseUnitY / 8);
}

QSize DialogBuilder::ToPixels(int width_dlu, int height_dlu) {
    return QSize(width_dlu * kBaseUnitX / 4, height_dlu * kBaseUnitY / 8);
}

QFont DialogBuilder::DialogFont(const DialogTemplate& dialog) {
    return MapPointFont(dialog.fontFace, dialog.fontPoints);
}

void DialogBuilder::Override(int id, Factory factory) {
    overrides_[id] = std::move(factory);
}

void DialogBuilder::Build(const DialogTemplate& dialog, QWidget* parent) const {
    parent->setFont(DialogFont(dialog));
    QWidget* previous = nullptr;
    for (const ControlTemplate& control : dialog.controls) {
        QWidget* widget = Create(control, parent);
        SetControlId(widget, control.id);
        widget->setGeometry(ToPixels(control));
        widget->setEnabled(!(control.style & kStyleDisabled));
        widget->setFocusPolicy(control.style & kStyleTabStop ? Qt::StrongFocus : Qt::NoFocus);
        if (const char* tip = ControlTip(dialog.id, control.id)) {
            widget->setToolTip(QString::fromUtf8(tip));
        }
        if (OnlyShows(control.controlClass)) {
            widget->setAttribute(Qt::WA_TransparentForMouseEvents);
            widget->lower();
        }
        AttachToBuddy(control, widget, previous);
        previous = widget;
    }
}

QWidget* DialogBuilder::Create(const ControlTemplate& control, QWidget* parent) const {
    const auto found = overrides_.find(control.id);
    if (found != overrides_.end()) {
        return found->second(control, parent);
    }
    return CreateDefault(control, parent);
}
