#pragma once

#include <QObject>

class MainPanel;

// The handlers behind the main panel's controls: the picture-position spins,
// New, Eject, Record, Close, Channels, the channel knob, the PowerOff and
// Timer check boxes, and the power-off message that ends a timed recording.
// Each is a thin layer over the engine, its recorder, channel list, overlay
// and schedule. All run on the user-interface thread.
class PanelCommands : public QObject {
    Q_OBJECT

public:
    explicit PanelCommands(MainPanel& panel);

    void OnHAdjust(int delta);
    void OnVAdjust(int delta);
    void OnVStep(int delta);
    void OnNew();
    void OnEject();
    void OnRecord();
    void OnClose();
    void OnChannels();
    void OnKnobScroll(int code);
    void OnPowerOffBox();
    void OnTimerBox();
    void OnPowerOffMessage();

private:
    void Connect();
    void TouchOverlay();
    void DisarmTimer();
    void PowerOffRefused();

    MainPanel& panel_;
};
