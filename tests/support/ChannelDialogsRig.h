#pragma once

#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "emulator/EmulatedCard.h"
#include "engine/CaptureEngine.h"
#include "engine/ChannelStore.h"
#include "hardware/CaptureCard.h"
#include "support/ChannelDialogsModalRunner.h"
#include "support/FakeMicrosecondClock.h"
#include "support/RecorderFakeDialog.h"

// An engine on the emulated card (five stations) for the channel dialogs,
// with time stepped: every sleep and every microsecond read moves the clock
// and the emulated card follows it, so a full band sweep runs without real
// waiting. Capture is stopped after the engine started it: no frame thread
// reads the pictures, and synthesising them would only cost time. The
// dialog's channel file lies in a temporary folder.
class ChannelDialogsRig {
public:
    ChannelDialogsRig() {
        emulated.FollowCurrentClock();
        card = std::make_unique<CaptureCard>(emulated.Ports(), emulated.Driver());
        const CaptureEngine::Services services{
            Path("engine.cnl"), &compression, Path("engine.avs"), {}};
        engine = std::make_unique<CaptureEngine>(card.get(), nullptr, 5, 5, services);
        card->SetCapture(0);
        card->SetRiscEnable(0);
    }

    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    std::string ChannelFile() const { return Path("dialog.cnl"); }

    // Writes the channel file with `channels` (MHz, name) in it.
    void StoreChannels(const std::vector<std::pair<uint32_t, const char*>>& channels) const {
        ChannelStore store(ChannelFile());
        for (const auto& [frequency_mhz, name] : channels) {
            store.SetChannel(frequency_mhz, name);
        }
        store.Save();
    }

    // The channel file's lines as "<MHz>\t<name>", in stored order.
    std::vector<std::string> StoredLines() const {
        ChannelStore store(ChannelFile());
        store.Load();
        std::vector<std::string> lines;
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
