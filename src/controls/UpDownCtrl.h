#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons that reports each click as a position change
// (+1 for the up or right arrow, -1 for the down or left arrow). The owner
// acts on the delta alone.
//
// With a buddy edit, the control also keeps a position and writes it into
// the edit as a decimal number, within the window system's default range of
// an up-down control, which is never changed here: 100 as the minimum and 0
// as the maximum. The up arrow moves towards the maximum, so it counts down
// to 0 and the down arrow counts up to 100. Before each step the position is
// taken from the edit's number when that lies in the range; a number outside
// it is left as it is unless the step moves the position.
class UpDownCtrl : public QWidget {
    Q_OBJECT

public:
    enum class Orientation { Vertical, Horizontal };
    enum class Alignment { Beside, RightOfBuddy };  // RightOfBuddy: over the edit's right edge
    enum class ArrowKeys { Ignored, Step };  // Step: Up and Down in the edit press the arrows

    static constexpr int kRangeMinimum = 100;
    static constexpr int kRangeMaximum = 0;

    explicit UpDownCtrl(Orientation orientation, QWidget* parent = nullptr);

    // Makes `buddy` the edit whose number follows the control. RightOfBuddy
    // narrows the edit by the control's width and puts the control over the
    // right end of the edit's place, covering the edit's right border.
    void SetBuddy(QLineEdit* buddy, Alignment alignment, ArrowKeys keys);

    // Presses an arrow as a click would: +1 up/right, -1 down/left.
    void Step(int delta);

signals:
    // The position change of one click; emitted before the buddy is updated.
    void DeltaPos(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void AlignRightOfBuddy();
    void MoveBuddyPosition(int delta);

    Orientation orientation_;
    QToolButton* increase_;
    QToolButton* decrease_;
    QLineEdit* buddy_ = nullptr;
    int position_ = 0;
};
