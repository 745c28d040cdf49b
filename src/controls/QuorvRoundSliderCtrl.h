#pragma once

#include "platform/FontMap.h"

#include <QColor>
#include <QFont>
#include <QRegion>
#include <QWidget>

#include <string>

class DeviceContext;

// The round (rotary) slider: the value is shown as a knob on a circle and as
// a number in the middle. It keeps its own value, range, line size and page
// size, with the rules of a trackbar: the position is clamped into the range,
// the range is 0 ... 359 at construction, the line size 1, the page size 10.
//
// The mouse wheel turns it one line a notch, as the Up and Down keys do.
//
// Notifications: every change made by the user is reported through the
// Scrolled(code, position) signal, emitted synchronously from the mouse or key
// handler, with the horizontal-scroll codes below and the position at that
// moment. A receiver that must not run inside the event handler (the old
// platform posted these) connects with Qt::QueuedConnection; the position
// travels with the signal. Changes made through SetPos send nothing.
//
// Geometry: the control uses the square at its top left whose side is the
// smaller of width and height. Angles are in degrees clockwise from straight
// up. Only the GUI thread may touch it.
class QuorvRoundSliderCtrl : public QWidget {
    Q_OBJECT

public:
    enum ScrollCode {
        kLineUp = 0,
        kLineDown = 1,
        kPageUp = 2,
        kPageDown = 3,
        kThumbPosition = 4,  // final position after a drag
        kThumbTrack = 5,     // position during a drag
        kEndScroll = 8,      // a key was released
    };

    explicit QuorvRoundSliderCtrl(QWidget* parent = nullptr);

    // The trackbar part. SetRange and SetPos clamp the position; with an empty
    // range (maximum below minimum) it rests at the minimum.
    void SetRange(int minimum, int maximum);
    int GetRangeMin() const { return rangeMin_; }
    int GetRangeMax() const { return rangeMax_; }
    void SetPos(int position);
    int GetPos() const { return position_; }
    void SetLineSize(int size) { lineSize_ = size; }
    int GetLineSize() const { return lineSize_; }
    void SetPageSize(int size) { pageSize_ = size; }
    int GetPageSize() const { return pageSize_; }

    // The centre text: `textFormat` (Windows-1252 bytes, printf-style with one
    // integer) applied to the position; "%ld\xB0" at construction.
    void SetTextFormat(const std::string& format) { textFormat_ = format; }
    std::string GetTextFormat() const { return textFormat_; }
    QString GetDisplayText() const;

    // These store only; call RecalcGeometry after changing the knob radius.
    void SetKnobRadius(int radius_px) { knobRadius_ = radius_px; }
    int GetKnobRadius() const { return knobRadius_; }
    void SetZeroAngle(int angle_deg) { zeroAngle_ = angle_deg; }
    int GetZeroAngle() const { return zeroAngle_; }
    void SetInverted(int inverted) { inverted_ = inverted; }
    int GetInverted() const { return inverted_; }
    // 1 (the default): the whole control is a raised dial with a small dimple
    // as the value mark; 0: a sunken round track on which a raised knob runs.
    void SetDialStyle(int dialStyle) { dialStyle_ = dialStyle; }

    // Font of the centre text: height in pixels, and face (cut to 31
    // characters). Both repaint.
    void SetFontSize(int size_px);
    void SetFontName(const std::string& faceName);
    const QFont& GetValueFont() const { return valueFont_; }

    // Recomputes centre, radius and hit region from the current size and sets
    // the position to 0.
    void RecalcGeometry();
    // Moves the value to the angle of `point` (client coordinates) when the
    // point lies inside the circle; true when the position changed.
    bool SetPosFromPoint(const QPoint& point);
    void NotifyParent(int code);

    // The value's angle (0 up, 90 right; inverted: 90 left) and where the
    // knob is drawn for it.
    int ValueAngle_deg() const;
    QPoint KnobCenter() const;

signals:
    void Scrolled(int code, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void UpdateGeometry();
    void ReadColors();
    void RecreateFont();
    void StepBy(int delta, int code);
    void DrawShadedCircle(DeviceContext& dc, const QPoint& center, int radius, const QColor& first,
                          const QColor& second) const;
    void DrawValueText(DeviceContext& dc) const;

    int rangeMin_ = 0;
    int rangeMax_ = 359;
    int position_ = 0;
    int lineSize_ = 1;
    int pageSize_ = 10;

    int centerX_ = 0;
    int centerY_ = 0;
    int radius_ = 0;
    QRegion hitRegion_;
    int zeroAngle_ = 0;
    int inverted_ = 0;
    std::string textFormat_ = "%ld\xB0";
    int knobRadius_ = 7;
    bool dragging_ = false;
    bool movedInDrag_ = false;
    int wheelAngle_ = 0;
    int dialStyle_ = 1;
    LogicalFont fontInfo_{"MS Sans Serif", -11, 0};
    QFont valueFont_;
    QColor textColor_;
    QColor backgroundColor_;
    QColor knobColor_;
};
