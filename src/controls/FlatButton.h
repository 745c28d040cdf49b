#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QPushButton>

class DeviceContext;

// The program's push button: flat, only its caption on the button face; a
// raised one-pixel edge while the mouse hovers over it, a sunken edge while it
// is pressed, a grey caption while disabled. The caption is centred on one
// line in the parent's font. The colours come from the palette and are read
// again when it changes.
//
// Hovering is checked when the mouse moves over the button and then every
// 10 ms (any timer event runs the check) until the cursor has left or the
// button is pressed; the raised edge is painted once per hover. Qt's own
// button timers still reach the button, so animateClick() and auto repeat
// work.
// GUI thread only.
class FlatButton : public QPushButton {
    Q_OBJECT

public:
    explicit FlatButton(const QString& text = QString(), QWidget* parent = nullptr);

    // True while the raised hover edge is shown.
    bool IsHoverDrawn() const { return hoverDrawn_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void HoverCheck();
    void ReadColors();
    void DrawCaption(DeviceContext& dc, const QRect& itemRect) const;

    bool pressed_ = false;
    bool hoverDrawn_ = false;
    QBasicTimer hoverTimer_;
    QColor highlightColor_;
    QColor shadowColor_;
    QColor faceColor_;
    QColor grayTextColor_;
    QColor textColor_;
};
