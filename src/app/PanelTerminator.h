#pragma once

#include <QObject>

#include "platform/TerminationSignals.h"

class MainPanel;

// Ends the panel as Escape does on a termination signal (SIGINT, SIGTERM,
// SIGHUP) or at the end of the session, so capture stops and an open
// recording is finished before the program exits. The dialogs open above the
// panel (Channels with its Manual or Scan, the Recording Timer, the file and
// compression dialogs, a warning box) are closed first, innermost first, as
// cancelled, so that each modal loop returns to the handler that ran it.
//
// Only one may exist (it owns the process's TerminationSignals). GUI thread.
class PanelTerminator : public QObject {
    Q_OBJECT

public:
    explicit PanelTerminator(MainPanel& panel);

    void Terminate();

private:
    MainPanel& panel_;
    TerminationSignals signals_;
};
