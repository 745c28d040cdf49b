#pragma once

// The tooltip of a control of a dialog template: what the control is for and
// the unit of its value. Null for controls without one (labels and frames).
const char* ControlTip(int dialogId, int controlId);
