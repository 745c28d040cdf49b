#pragma once

// What the panel's controls show, derived from the state of card, recorder and
// channel list. The panel applies it whenever it idles and once a second.
struct PanelState {
    bool card = false;        // a card (and so an engine) exists
    bool fileOpen = false;    // the recorder has a file open
    bool writing = false;     // frames are being written
    bool aviServices = false; // the recorder's library is usable
    int channels = 0;         // stored channels
};

struct ControlStates {
    bool spins = false;
    bool record = false;
    bool powerOffAndTimer = false;
    bool knob = false;
    bool channels = false;
    bool eject = false;
    bool newFile = false;
    const char* recordCaption = "Record";
};

ControlStates ComputeControlStates(const PanelState& state);
