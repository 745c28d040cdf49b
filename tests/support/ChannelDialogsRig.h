#pragma once

#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "emulator/EmulatedCard.h"
#include "engine/CaptureEngine.h"
#include "hardware/CaptureCard.h"
#include "support/ChannelDialogsModalRunner.h"
#include "support/FakeMicrosecondClock.h"
#include "support/RecorderFakeDialog.h"

// An engine on the emulated card (five stations) for the channel dialogs, in
// stepped time: sleeps and microsecond reads move the clock and the card
// follows it, so a band sweep runs without real waiting. Capture is stopped
// once the engine started it, as no frame thread reads the pictures. The
// channel files lie in a temporary folder.
class ChannelDialogsRig {
public:
    using Lines = std::vector<std::string>;

    ChannelDialogsRig() {
        emulated.FollowCurrentClock();
        card = std::make_unique<CaptureCard>(emulated.Ports(), emulated.Driver());
        engine = std::make_unique<CaptureEngine>(
            card.get(), nullptr, 5, 5,
            CaptureEngine::Services{Path("engine.cnl"), &compression, Path("engine.avs"), {}});
        card->SetCapture(0);
        card->SetRiscEnable(0);
    }

    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    std::string ChannelFile() const { return Path("dialog.cnl"); }

    // Writes the channel file with "<MHz>\t<name>" lines; reads it back.
    void Store(const Lines& lines) const {
        ChannelStore store(ChannelFile());
        for (const std::string& line : lines) {
            const size_t tab = line.find('\t');
            store.SetChannel(std::stoul(line.substr(0, tab)), line.substr(tab + 1).c_str());
        }
        store.Save();
    }
    Lines Stored() const {
        ChannelStore store(ChannelFile());
        store.Load();
        Lines lines;
        for (int i = 0; i < store.GetCount(); ++i) {
            lines.push_back(std::to_string(store.GetChannelFrequency(i)) + "\t" +
                            store.GetChannelName(i));
        }
        return lines;
    }

    // The frequency the emulated tuner decoded from its last divider message.
    int64_t TunedFrequency_hz() { return emulated.Chip(0).GetTunerState().carrier_hz; }

    FakeMicrosecondClock clock;
    QTemporaryDir dir;
    EmulatedCard emulated;
    RecorderFakeDialog compression;
    std::unique_ptr<CaptureCard> card;
    std::unique_ptr<CaptureEngine> engine;
    ChannelDialogsModalRunner modal;
};
