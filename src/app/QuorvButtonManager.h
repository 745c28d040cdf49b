#pragma once

#include <QMargins>
#include <QSize>

#include <vector>

class QWidget;

// The self-drawn frame around the caption-less main panel, in pixels per side:
// a window is its client area plus twice these.
inline constexpr int kDialogFrameWidth_px = 3;   // fx
inline constexpr int kDialogFrameHeight_px = 3;  // fy

// Places child widgets of one parent in a row or a column with fixed gaps,
// margins and an alignment rule per direction. It moves the widgets and
// never resizes them (except on request in AddControl), and owns none of them.
//
// Coordinates: the parent's client area is its contentsRect(); positions are
// computed in client coordinates (the client area's top left is (0, 0)). The
// parent's "window" size, which the rules measure against, is the client size
// plus the dialog frame on each side: W = client width + 2 * fx,
// H = client height + 2 * fy.
class QuorvButtonManager {
public:
    enum Orientation { kRow = 0, kColumn = 1 };
    // Horizontal rules: 0 left, 1 right, 2 centred. Vertical rules: 0 top,
    // 1 bottom, 2 centred.
    enum Rule { kStart = 0, kEnd = 1, kCentre = 2 };

    void SetParentWindow(QWidget* parent) { parent_ = parent; }

    // Gives a control with identifier 0 the identifier HighestChildId(parent)
    // + 1, makes it a child of the parent, resizes it to `size` when given,
    // and appends it. Returns the control's identifier. Without a parent the
    // control keeps its identifier and its parent.
    int AddControl(QWidget* control, const QSize* size = nullptr);

    static int ControlWidth(const QWidget* control);
    static int ControlHeight(const QWidget* control);

    // Places every control; nothing happens without a parent or controls, or
    // for an unknown orientation. Rule values other than those above put the
    // controls at 0 on that axis.
    void Arrange(int orientation, int horizontalRule, int verticalRule);

    int horizontalGap = 0;
    int verticalGap = 0;
    QMargins margins;  // left, top, right, bottom

private:
    QSize WindowSize() const;
    void MoveControl(QWidget* control, int x, int y) const;
    void ArrangeRow(int horizontalRule, int verticalRule) const;
    void ArrangeColumn(int horizontalRule, int verticalRule) const;
    int ColumnX(int horizontalRule, int width) const;

    std::vector<QWidget*> controls_;
    QWidget* parent_ = nullptr;
};
