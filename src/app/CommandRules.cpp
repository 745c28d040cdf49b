#include "app/CommandRules.h"

ControlStates ComputeControlStates(const PanelState& s) {
    ControlStates c;
    c.spins = s.card;
    c.record = s.card && s.fileOpen;
    c.powerOffAndTimer = s.card && s.fileOpen && s.aviServices;
    c.knob = s.card && !s.writing && s.channels >= 2;
    c.channels = s.card && !s.writing;
    c.eject = s.card && s.fileOpen && !s.writing;
    c.newFile = s.card && s.aviServices && !s.fileOpen && !s.writing;
    c.recordCaption = s.card && s.writing ? "Stop" : "Record";
    return c;
}
