#pragma once

#include <QDialog>

#include <cstdint>

class CaptureEngine;
class QAbstractButton;
class ScanDisplay;

// Sweeps the tuner over the band, 41 ... 879 MHz in 1 MHz steps, and collects
// the frequencies where a station was found in its ScanDisplay. States:
// Idle (Start and Cancel enabled) -> Sweeping (both disabled, Cancel hidden;
// Escape and the window's close do nothing) -> Done (the button reads
// "Close", Cancel stays hidden) -> accepted by pressing "Close". Closing the
// dialog with done() while it sweeps (as the program's end does) stops the
// sweep after the current step.
//
// The sweep runs on the GUI thread inside the Start button's handler; each
// step dispatches waiting events, which keeps the dialog painted.
class ScanDialog : public QDialog {
    Q_OBJECT

public:
    enum class State { Idle, Sweeping, Done };

    static constexpr uint32_t kPauseAfterProbe_ms = 10;
    // The decoder's TEST register while sweeping, and its normal value.
    static constexpr int kSweepTestControl = 1;
    static constexpr int kNormalTestControl = 239;

    // `engine` (may be null: no tuning) gives the card the display probes.
    ScanDialog(CaptureEngine* engine, QWidget* parent);

    ScanDisplay* Display() const { return display_; }
    State GetState() const { return state_; }
    QAbstractButton* StartButton() const { return start_; }
    QAbstractButton* CancelButton() const { return cancel_; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnStart();
    void Sweep();

    ScanDisplay* display_ = nullptr;
    QAbstractButton* start_;
    QAbstractButton* cancel_;
    State state_ = State::Idle;
    bool closedUnderSweep_ = false;
};
