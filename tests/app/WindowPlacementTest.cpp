#include "app/WindowPlacement.h"

#include <QWidget>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/Settings.h"

namespace {

constexpr const char* kOtherName = "OtherFramePos";

class WindowPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings::Remove(kMainFramePosSetting.key);
        Settings::Remove(kOtherName);
        SetPlacementEnvironment(&environment_);
    }
    void TearDown() override {
        SetPlacementEnvironment(nullptr);
        Settings::Remove(kMainFramePosSetting.key);
        Settings::Remove(kOtherName);
    }

    static void Store(const std::string& text) {
        Settings::WriteString(kMainFramePosSetting, text);
    }
    static std::optional<std::string> Stored(const char* key = kMainFramePosSetting.key) {
        return Settings::ReadString(StringSetting{key, std::nullopt});
    }

    bool canPlace_ = true;
    PlacementEnvironment environment_{[] { return QRect(0, 0, 1280, 1000); },
                                      [this] { return canPlace_; }};
};

TEST_F(WindowPlacementTest, LoadFitsUsableRectanglesToTheWorkArea) {
    const struct {
        const char* stored;
        QRect expected;
    } cases[] = {
        {"10 20 450 360", QRect(10, 20, 440, 340)},
        {"-2000 -2000 -1570 -1687", QRect(0, 0, 430, 313)},
        {"1216 936 1646 1249", QRect(1216, 936, 430, 313)},
        {"-366 -249 64 64", QRect(-366, -249, 430, 313)},
        {"0 0 1280 1000", QRect(0, 0, 1280, 1000)},
        {"1240 980 1280 1000", QRect(1240, 980, 40, 20)},
        {"-3000 0 -1721 1000", QRect(0, 0, 1279, 1000)},
        {"1280 20 1710 333", QRect(0, 0, 430, 313)},
        {"-430 0 0 313", QRect(0, 0, 430, 313)},
        {"  10   20\t450 360  ", QRect(10, 20, 440, 340)},
        {"+10 20 450 360", QRect(10, 20, 440, 340)},
    };
    for (const auto& c : cases) {
        Store(c.stored);
        QRect rect;
        ASSERT_TRUE(LoadWindowRect(&rect)) << c.stored;
        EXPECT_EQ(rect, c.expected) << c.stored;
    }
}

TEST_F(WindowPlacementTest, LoadRefusesWhatIsNotAUsableRectangle) {
    const char* cases[] = {
        "",
        "10 20 450",
        "ten 20 450 360",
        "10 20 450 360 junk",
        "10,20,450,360",
        "450 20 10 360",
        "10 20 10 360",
        "10 360 450 20",
        "-2147483648 0 2147483647 10",
        "0 -2147483648 10 2147483647",
        "2147483648 0 2147483649 10",
        "0 0 99999999999 10",
        "0 0 2147483647 2147483647",
        "0 0 1281 400",
        "0 0 400 1001",
        "-3000 0 -1719 10",
        "-430 -315 6 4",
        "1270 990 1700 1303",
        "1217 0 1647 313",
        "0 937 430 1250",
        "1270 0 1300 20",
    };
    for (const char* stored : cases) {
        Store(stored);
        QRect rect(1, 2, 3, 4);
        EXPECT_FALSE(LoadWindowRect(&rect)) << stored;
        EXPECT_EQ(rect, QRect(1, 2, 3, 4)) << stored;
    }
    Settings::Remove(kMainFramePosSetting.key);
    QRect rect;
    EXPECT_FALSE(LoadWindowRect(&rect));
}

TEST_F(WindowPlacementTest, RestoreMovesAndSizesTheWindowOrLeavesItAlone) {
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 430, 313);

    Store("10 20 450");
    EXPECT_FALSE(RestoreWindowPlacement(&window));
    EXPECT_EQ(window.geometry(), QRect(100, 100, 430, 313));

    Store("10 20 450 360");
    EXPECT_TRUE(RestoreWindowPlacement(&window));
    EXPECT_EQ(window.pos(), QPoint(10, 20));
    EXPECT_EQ(window.size(), QSize(440, 340));

    EXPECT_FALSE(RestoreWindowPlacement(nullptr));
}

TEST_F(WindowPlacementTest, StoreWritesTheFrameOfAVisibleWindowOnly) {
    Store("1 2 3 4");
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(30, 40, 430, 313);
    StoreWindowPlacement(&window);
    EXPECT_EQ(Stored(), "1 2 3 4") << "hidden";

    window.show();
    StoreWindowPlacement(&window);
    const QRect frame = window.frameGeometry();
    const std::string expected = std::to_string(frame.x()) + " " + std::to_string(frame.y()) + " " +
                                 std::to_string(frame.x() + frame.width()) + " " +
                                 std::to_string(frame.y() + frame.height());
    EXPECT_EQ(Stored(), expected);

    Store("1 2 3 4");
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    StoreWindowPlacement(&window);
    EXPECT_EQ(Stored(), "1 2 3 4") << "minimised";
    StoreWindowPlacement(nullptr);
    EXPECT_EQ(Stored(), "1 2 3 4");
}

TEST_F(WindowPlacementTest, AMaximisedWindowStoresItsFrameShrunkByFive) {
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.showMaximized();
    ASSERT_TRUE(window.isMaximized());
    StoreWindowPlacement(&window, kOtherName);
    const QRect frame = window.frameGeometry();
    const std::string expected = std::to_string(frame.x() + 5) + " " +
                                 std::to_string(frame.y() + 5) + " " +
                                 std::to_string(frame.x() + frame.width() - 5) + " " +
                                 std::to_string(frame.y() + frame.height() - 5);
    EXPECT_EQ(Stored(kOtherName), expected);
    EXPECT_EQ(Stored(), std::nullopt);
}

TEST_F(WindowPlacementTest, StoredPlacementRestoresTheSameFrame) {
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(50, 60, 430, 313);
    window.show();
    StoreWindowPlacement(&window, kOtherName);
    const QRect before = window.frameGeometry();
    window.setGeometry(0, 0, 100, 100);
    ASSERT_TRUE(RestoreWindowPlacement(&window, kOtherName));
    EXPECT_EQ(window.frameGeometry(), before);
}

TEST_F(WindowPlacementTest, WhereClientsCannotPlaceWindowsBothAreSkipped) {
    canPlace_ = false;
    Store("10 20 450 360");
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 430, 313);
    EXPECT_FALSE(RestoreWindowPlacement(&window));
    EXPECT_EQ(window.geometry(), QRect(100, 100, 430, 313));

    window.show();
    StoreWindowPlacement(&window);
    EXPECT_EQ(Stored(), "10 20 450 360");
}

}  // namespace
