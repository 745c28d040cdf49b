#pragma once

#include <QWidget>

class MainPanel;

// The panel's client area: the parent of every control. It paints the
// background around the video rectangle, the live picture inside it (or the
// no-hardware text), and lets the user drag the caption-less panel by any
// point that isn't a control: through the window manager's move, or, where
// that is refused or not supported, by following the mouse itself.
class PanelClient : public QWidget {
    Q_OBJECT

public:
    explicit PanelClient(MainPanel* panel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintNoHardware(QPainter& painter);

    MainPanel* panel_;
    bool dragging_ = false;
    QPoint dragStart_;   // the press, in screen coordinates
    QPoint panelStart_;  // the panel's position at the press
};
