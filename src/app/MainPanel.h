#pragma once

#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <memory>

#include "app/PanelServices.h"
#include "app/QuorvButtonManager.h"
#include "engine/ThreadRegistry.h"
#include "platform/VideoSurface.h"

class CaptureCard;
class CaptureEngine;
class FlatButton;
class FrameThread;
class PanelClient;
class PanelCommands;
class QCheckBox;
class QuorvRoundSliderCtrl;
class UpDownCtrl;

// The program's one window: a small caption-less panel with the live picture
// on the left and the controls on the right. It owns the card, the engine and
// the frame thread, builds them in this order before it is first shown, and
// destroys them in the reverse order.
//
// Without a card the panel shows a no-hardware text in the video area and
// only Close works.
class MainPanel : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 430;
    static constexpr int kClientHeight = 313;
    static constexpr int kFrameSize = kDialogFrameWidth_px;  // the self-drawn frame
    static constexpr QRect kVideoRect{5, 5, 360, 288};

    explicit MainPanel(const PanelServices& services, QWidget* parent = nullptr);
    ~MainPanel() override;

    CaptureCard* Card() const { return card_.get(); }
    CaptureEngine* Engine() const { return engine_.get(); }
    const PanelServices& Services() const { return services_; }
    QWidget* Client() const;
    QWidget* Control(int id) const;
    QuorvRoundSliderCtrl* Knob() const { return knob_; }
    QCheckBox* TimerBox() const { return timerBox_; }
    QCheckBox* PowerOffBox() const { return powerOffBox_; }
    FlatButton* RecordButton() const { return record_; }
    VideoSurface& Surface() { return surface_; }

    // Refreshes enabled states and the Record caption from the engine.
    void UpdateControls();

    // The once-a-second tick.
    void OnTimer();

    bool IsFrameThreadRunning() const;
    // Stops the frame thread if it runs; safe against re-entry.
    void StopFrameThread();
    // Starts a frame thread unless one runs (card and engine must exist).
    void StartFrameThread();

    // Ends the panel as the Close button does.
    void CloseAndStore();

    // Escape, the window's close and termination: ends the panel without
    // storing its position, the frame thread stopped first.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BindControls();
    void CreateHardware();
    void InitDialog();
    void SetUpKnob();
    void PlaceWindow();
    void FitClientToWindow();
    void ArrangeControls();

    PanelServices services_;
    ThreadRegistry registry_;
    VideoSurface surface_;
    PanelClient* client_ = nullptr;
    QCheckBox* timerBox_ = nullptr;
    QCheckBox* powerOffBox_ = nullptr;
    QuorvRoundSliderCtrl* knob_ = nullptr;
    FlatButton* channels_ = nullptr;
    FlatButton* record_ = nullptr;
    FlatButton* newFile_ = nullptr;
    FlatButton* eject_ = nullptr;
    FlatButton* close_ = nullptr;
    QIcon icon_;
    std::unique_ptr<CaptureCard> card_;
    std::unique_ptr<CaptureEngine> engine_;
    FrameThread* frameThread_ = nullptr;
    std::unique_ptr<PanelCommands> commands_;
    QTimer tick_;
    bool updatingControls_ = false;
};
