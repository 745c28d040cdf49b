#include "controls/UpDownCtrl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace {
// The part of the edit's frame the control covers, so the two look like one.
constexpr int kBuddyBorder_px = 2;
}  // namespace

UpDownCtrl::UpDownCtrl(Orientation orientation, QWidget* parent)
    : QWidget(parent),
      orientation_(orientation),
      increase_(new QToolButton(this)),
      decrease_(new QToolButton(this)) {
    const bool horizontal = orientation == Orientation::Horizontal;
    increase_->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
    decrease_->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
    for (QToolButton* button : {increase_, decrease_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(increase_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(decrease_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDownCtrl::SetBuddy(QLineEdit* buddy, Alignment alignment, ArrowKeys keys) {
    buddy_ = buddy;
    if (alignment == Alignment::RightOfBuddy) {
        AlignRightOfBuddy();
    }
    if (keys == ArrowKeys::Step) {
        buddy_->installEventFilter(this);
    }
}

void UpDownCtrl::AlignRightOfBuddy() {
    const QRect edit = buddy_->geometry();
    const int width = this->width();
    buddy_->setGeometry(edit.adjusted(0, 0, -(width - kBuddyBorder_px), 0));
    setGeometry(edit.x() + edit.width() - width, edit.y(), width, edit.height());
    raise();
}

void UpDownCtrl::Step(int delta) {
    emit DeltaPos(delta);
    if (buddy_ != nullptr) {
        MoveBuddyPosition(delta);
    }
}

// With the maximum below the minimum, moving up means moving down in value.
void UpDownCtrl::MoveBuddyPosition(int delta) {
    bool isNumber = false;
    const int typed = buddy_->text().toInt(&isNumber);
    const int low = std::min(kRangeMinimum, kRangeMaximum);
    const int high = std::max(kRangeMinimum, kRangeMaximum);
    if (isNumber && typed >= low && typed <= high) {
        position_ = typed;
    }
    const int towardsMaximum = kRangeMaximum >= kRangeMinimum ? 1 : -1;
    const int next = std::clamp(position_ + delta * towardsMaximum, low, high);
    if (next != position_) {
        position_ = next;
        buddy_->setText(QString::number(next));
    }
}

bool UpDownCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDownCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (orientation_ == Orientation::Horizontal) {
        const int half = width() / 2;
        decrease_->setGeometry(0, 0, half, height());
        increase_->setGeometry(half, 0, width() - half, height());
    } else {
        const int half = height() / 2;
        increase_->setGeometry(0, 0, width(), half);
        decrease_->setGeometry(0, half, width(), height() - half);
    }
}
