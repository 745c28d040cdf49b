// The settings file is plain text the user may edit. Whatever it holds, the
// integer settings read as a whole 32-bit number or not at all, and a stored
// window rectangle is either refused or gives a rectangle of positive size.
#include <unistd.h>

#include <QCoreApplication>
#include <QRect>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/WindowPlacement.h"
#include "platform/SettingInfo.h"
#include "platform/Settings.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

const PlacementEnvironment kScreen{[] { return QRect(0, 0, 1920, 1080); }, [] { return true; }};

// The integer settings the panel and engine read at start-up.
const IntSetting* const kIntSettings[] = {&kHAdjustSetting, &kVAdjustSetting, &kChannelSetting};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const std::string home = "/tmp/quorv-fuzz-settings-" + std::to_string(::getpid());
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    ::setenv("HOME", home.c_str(), 1);
    static QCoreApplication application(*argc, *argv);
    QCoreApplication::setApplicationName("quorvtv");
    SetPlacementEnvironment(&kScreen);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings::WriteInt(kChannelSetting, 0);  // creates the folder and the file
    std::ofstream(Settings::FilePath(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    for (const IntSetting* setting : kIntSettings) {
        const IntSetting withoutDefault{setting->key, std::nullopt};
        Require(Settings::ReadInt(*setting, 7) == Settings::ReadInt(withoutDefault).value_or(7));
    }
    QRect rect(1, 2, 3, 4);
    if (LoadWindowRect(&rect)) {
        Require(rect.width() > 0 && rect.height() > 0);
    } else {
        Require(rect == QRect(1, 2, 3, 4));
    }
    Settings::ReadString(kAviPathSetting, "");
    return 0;
}
