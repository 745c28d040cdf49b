#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons that reports each click as a position change
// (+1 for the up or right arrow, -1 for the down or left arrow). The owner
// acts on the delta alone. With a buddy edit, the control also keeps the
// buddy's number in step, within [minimum, maximum].
class UpDownCtrl : public QWidget {
    Q_OBJECT

public:
    enum class Orientation { Vertical, Horizontal };

    explicit UpDownCtrl(Orientation orientation, QWidget* parent = nullptr);

    // The edit whose decimal text follows the control; null for none.
    void SetBuddy(QLineEdit* buddy, qint64 minimum, qint64 maximum);

    // Presses an arrow as a click would: +1 up/right, -1 down/left.
    void Step(int delta);

signals:
    // The position change of one click; emitted before the buddy is updated.
    void DeltaPos(int delta);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Orientation orientation_;
    QToolButton* increase_;
    QToolButton* decrease_;
    QLineEdit* buddy_ = nullptr;
    qint64 minimum_ = 0;
    qint64 maximum_ = 0;
};
