#include "platform/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(Path()); }
    void TearDown() override { QFile::remove(Path()); }

    static QString Path() { return QString::fromStdString(Settings::FilePath()); }

    // Writes `text` as a hand-edited file would hold it.
    static void StoreRaw(const char* key, const QString& text) {
        QSettings raw(Path(), QSettings::IniFormat);
        raw.setValue(QString("Settings/") + key, text);
    }
};

TEST_F(SettingsTest, LivesInTheIsolatedConfigFolderUnderTheCompanyAndProgramName) {
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        "/Quorv Software/" + QCoreApplication::applicationName() + ".conf";
    EXPECT_EQ(Path(), expected);
    EXPECT_FALSE(QCoreApplication::applicationName().isEmpty());
    const QString home = qEnvironmentVariable("HOME");
    EXPECT_TRUE(home.startsWith(QDir::tempPath())) << home.toStdString();
    EXPECT_TRUE(Path().startsWith(home + '/')) << Path().toStdString();
}

TEST_F(SettingsTest, AbsentValuesGiveTheDeclaredOrTheCallersDefault) {
    EXPECT_EQ(Settings::ReadInt(kChannelSetting), 0);
    EXPECT_EQ(Settings::ReadString(kAviPathSetting), "");
    EXPECT_EQ(Settings::ReadString(kMainFramePosSetting), std::nullopt);
    EXPECT_EQ(Settings::ReadInt(kHAdjustSetting), std::nullopt);
    EXPECT_EQ(Settings::ReadInt(kHAdjustSetting, 28636363), 28636363);
    EXPECT_EQ(Settings::ReadInt(kVAdjustSetting, 625), 625);
}

TEST_F(SettingsTest, WritesReachTheIniFileInTheSettingsGroupAtOnce) {
    Settings::WriteInt(kHAdjustSetting, -28636363);
    Settings::WriteString(kAviPathSetting, "/home/user/my videos, old/");
    Settings::WriteString(kMainFramePosSetting, "10 20 450 360");

    QSettings raw(Path(), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Settings/HAdjust").toString(), "-28636363");
    EXPECT_EQ(raw.value("Settings/MainFramePos").toString(), "10 20 450 360");

    EXPECT_EQ(Settings::ReadInt(kHAdjustSetting, 0), -28636363);
    EXPECT_EQ(Settings::ReadString(kAviPathSetting), "/home/user/my videos, old/");
    EXPECT_EQ(Settings::ReadString(kMainFramePosSetting, "x"), "10 20 450 360");
}

TEST_F(SettingsTest, AStoredTextThatIsNotAnIntegerCountsAsAbsent) {
    const struct {
        const char* stored;
        std::optional<int> expected;
    } cases[] = {
        {"abc", std::nullopt},
        {"12x", std::nullopt},
        {"", std::nullopt},
        {"1.5", std::nullopt},
        {"0x10", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"7", 7},
    };
    for (const auto& c : cases) {
        StoreRaw("Channel", c.stored);
        EXPECT_EQ(Settings::ReadInt(kChannelSetting, -1), c.expected.value_or(-1)) << c.stored;
        EXPECT_EQ(Settings::ReadInt(kChannelSetting), c.expected.value_or(0)) << c.stored;
    }
}

TEST_F(SettingsTest, AListValueIsNotAString) {
    QSettings(Path(), QSettings::IniFormat).setValue("Settings/AviPath", QStringList{"a", "b"});
    EXPECT_EQ(Settings::ReadString(kAviPathSetting), "");
}

}  // namespace
