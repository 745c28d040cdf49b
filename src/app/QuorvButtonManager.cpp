#include "app/QuorvButtonManager.h"

#include "app/ControlId.h"

#include <QWidget>

int QuorvButtonManager::AddControl(QWidget* control, const QSize* size) {
    if (parent_ != nullptr) {
        if (ControlIdOf(control) == 0) {
            SetControlId(control, static_cast<int>(HighestChildId(parent_) + 1));
        }
        if (control->parentWidget() != parent_) {
            // Qt hides a widget that changes parents; keep it as it was.
            const bool shown = !control->isHidden();
            control->setParent(parent_);
            control->setVisible(shown);
        }
    }
    if (size != nullptr) {
        control->resize(*size);
    }
    controls_.push_back(control);
    return ControlIdOf(control);
}

int QuorvButtonManager::ControlWidth(const QWidget* control) {
    return control->frameGeometry().width();
}

int QuorvButtonManager::ControlHeight(const QWidget* control) {
    return control->frameGeometry().height();
}

QSize QuorvButtonManager::WindowSize() const {
    const QSize client = parent_->contentsRect().size();
    return {client.width() + 2 * kDialogFrameWidth_px, client.height() + 2 * kDialogFrameHeight_px};
}

void QuorvButtonManager::MoveControl(QWidget* control, int x, int y) const {
    control->move(parent_->contentsRect().topLeft() + QPoint(x, y));
}

void QuorvButtonManager::Arrange(int orientation, int horizontalRule, int verticalRule) {
    if (parent_ == nullptr || controls_.empty()) {
        return;
    }
    if (orientation == kRow) {
        ArrangeRow(horizontalRule, verticalRule);
    } else if (orientation == kColumn) {
        ArrangeColumn(horizontalRule, verticalRule);
    }
}

// Right alignment is not used by the program; it mirrors left alignment.
void QuorvButtonManager::ArrangeRow(int horizontalRule, int verticalRule) const {
    const QSize window = WindowSize();
    int total = horizontalGap * (static_cast<int>(controls_.size()) - 1);
    for (const QWidget* control : controls_) {
        total += ControlWidth(control);
    }
    int x = 0;
    if (horizontalRule == kStart) {
        x = margins.left();
    } else if (horizontalRule == kEnd) {
        x = window.width() - margins.right() - total;
    } else if (horizontalRule == kCentre) {
        x = margins.left() + (window.width() - margins.left() - margins.right() - total) / 2;
    }
    for (QWidget* control : controls_) {
        const int height = ControlHeight(control);
        int y = 0;
        if (verticalRule == kStart) {
            y = margins.top();
        } else if (verticalRule == kEnd) {
            y = window.height() - margins.bottom() - height;
        } else if (verticalRule == kCentre) {
            y = margins.top() + (window.height() - margins.top() - margins.bottom() - height) / 2;
        }
        MoveControl(control, x, y);
        x += ControlWidth(control) + horizontalGap;
    }
}

int QuorvButtonManager::ColumnX(int horizontalRule, int width) const {
    const QSize window = WindowSize();
    if (horizontalRule == kStart) {
        return margins.left();
    }
    if (horizontalRule == kEnd) {
        return window.width() - margins.right() - width;
    }
    if (horizontalRule == kCentre) {
        return margins.left() + (window.width() - margins.left() - margins.right() - width) / 2;
    }
    return 0;
}

// Bottom alignment starts one gap and one first control above the stack and
// steps before placing each control; for equal heights the last control ends
// one gap below H - B, which the panel's margins allow for.
void QuorvButtonManager::ArrangeColumn(int horizontalRule, int verticalRule) const {
    const QSize window = WindowSize();
    const int count = static_cast<int>(controls_.size());
    int y = verticalRule == kStart ? margins.top() : 0;
    if (verticalRule == kEnd) {
        int sum = 0;
        for (const QWidget* control : controls_) {
            sum += ControlHeight(control);
        }
        y = window.height() - (count - 1) * verticalGap - margins.bottom() - sum -
            ControlHeight(controls_.front());
    }
    for (QWidget* control : controls_) {
        const int height = ControlHeight(control);
        if (verticalRule == kEnd) {
            y += height + verticalGap;
        } else if (verticalRule == kCentre) {
            y = (window.height() - height) / 2;
        }
        MoveControl(control, ColumnX(horizontalRule, ControlWidth(control)), y);
        if (verticalRule != kEnd && verticalRule != kCentre) {
            y += height + verticalGap;
        }
    }
}
