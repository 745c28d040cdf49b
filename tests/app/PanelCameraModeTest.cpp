#include "app/PanelCameraMode.h"

#include <gtest/gtest.h>

#include "platform/Settings.h"

// Each row: what is stored before (nothing, 0, 1 or junk), what the command
// line asks, the camera's mode, and what is stored after.
TEST(PanelCameraModeTest, TheCommandLineDecidesAndIsRememberedForTheNextRun) {
    using C = CommandLine::Camera;
    using M = CameraSource::Mode;
    struct Case {
        const char* stored;  // null: nothing stored
        C request;
        M mode;
        std::optional<int> storedAfter;
    };
    const Case cases[] = {
        {nullptr, C::Remembered, M::Off, std::nullopt},
        {nullptr, C::On, M::PipeWire, 1},
        {nullptr, C::Off, M::Off, 0},
        {"1", C::Remembered, M::PipeWire, 1},
        {"0", C::Remembered, M::Off, 0},
        {"1", C::Off, M::Off, 0},
        {"0", C::On, M::PipeWire, 1},
        {"yes", C::Remembered, M::Off, std::nullopt},
    };
    for (const Case& c : cases) {
        Settings::Remove(kPipeWireCameraSetting.key);
        if (c.stored != nullptr) {
            Settings::WriteString({kPipeWireCameraSetting.key, std::nullopt}, c.stored);
        }
        EXPECT_EQ(PanelCameraMode(c.request), c.mode) << (c.stored ? c.stored : "-");
        const std::optional<int> after =
            Settings::ReadInt({kPipeWireCameraSetting.key, std::nullopt});
        EXPECT_EQ(after, c.storedAfter) << (c.stored ? c.stored : "-");
    }
    Settings::Remove(kPipeWireCameraSetting.key);
}
