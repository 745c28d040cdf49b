#include "controls/UpDownCtrl.h"

#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

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

void UpDownCtrl::SetBuddy(QLineEdit* buddy, qint64 minimum, qint64 maximum) {
    buddy_ = buddy;
    minimum_ = minimum;
    maximum_ = maximum;
}

void UpDownCtrl::Step(int delta) {
    emit DeltaPos(delta);
    if (buddy_ == nullptr) {
        return;
    }
    bool isNumber = false;
    const qint64 current = buddy_->text().toLongLong(&isNumber);
    const qint64 next = std::clamp((isNumber ? current : minimum_) + delta, minimum_, maximum_);
    buddy_->setText(QString::number(next));
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
