#pragma once

class QWidget;

// Every control of a dialog template keeps its numeric identifier, as a
// property of its widget. 0 means "none given"; -1 is never a real identifier.
void SetControlId(QWidget* control, int id);
int ControlIdOf(const QWidget* control);

// The direct child of `parent` whose identifier is `id`, or null.
QWidget* ChildById(const QWidget* parent, int id);

// The largest identifier among the direct child widgets of `parent`, compared
// as unsigned numbers and ignoring -1; 0 when there is none.
unsigned HighestChildId(const QWidget* parent);
