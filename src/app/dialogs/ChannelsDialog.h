#pragma once

#include <QDialog>

#include <string>

#include "engine/ChannelStore.h"

class CaptureEngine;
class ChannelListCtrl;
class ModalRunner;

// Shows the stored channels (name, row number, frequency in hertz) and edits
// its own copy of them, loaded from `channelFile` when the dialog is built:
// names are renamed in place, Manual adds a typed frequency, Scan adds the
// stations a band sweep finds (new ones named "?"). Selecting a row tunes the
// engine's card to it at once. OK writes the copy to the file; Cancel writes
// nothing (the tuning stays). When the file could be read only in part, OK
// first asks in the warning box and keeps the file unless the user confirms.
// Remove is shown disabled and does nothing.
//
// The Manual and Scan dialogs run through `modal`. GUI thread only.
class ChannelsDialog : public QDialog {
    Q_OBJECT

public:
    // `engine` (not owned) may be null: selecting a row then tunes nothing.
    ChannelsDialog(CaptureEngine* engine, std::string channelFile, ModalRunner& modal,
                   QWidget* parent);

    ChannelListCtrl* ChannelList() const { return channelList_; }

public slots:
    void accept() override;

private:
    void InsertColumns();
    void ConnectControls();
    void FillList();
    void OnNameEdited(int index, const std::string& name);
    void OnItemChanged();
    void OnManual();
    void OnScan();

    CaptureEngine* engine_;
    ModalRunner& modal_;
    ChannelStore channels_;
    // Overwriting the file loses nothing: it was read whole, or there was none.
    bool fileReadWhole_ = false;
    ChannelListCtrl* channelList_;
};
