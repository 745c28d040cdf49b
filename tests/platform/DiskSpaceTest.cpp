#include "platform/DiskSpace.h"

#include <QTemporaryDir>

#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "platform/DiskSpaceService.h"

namespace {

class FakeDiskSpace : public DiskSpaceService {
public:
    FakeDiskSpace() { SetDiskSpaceService(this); }
    ~FakeDiskSpace() override { SetDiskSpaceService(nullptr); }

    std::optional<uint64_t> FreeBytes(const std::string& path) override {
        lastPath = path;
        return answer;
    }

    std::optional<uint64_t> answer;
    std::string lastPath;
};

TEST(DiskSpaceTest, AFileAndItsFolderReportTheSameFileSystem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    const std::optional<uint64_t> ofFolder = QueryFreeDiskBytes(folder);
    const std::optional<uint64_t> ofNewFile = QueryFreeDiskBytes(folder + "/not-yet-recorded.avi");
    const std::optional<uint64_t> ofSlashed = QueryFreeDiskBytes(folder + "/");
    ASSERT_TRUE(ofFolder && ofNewFile && ofSlashed);
    // Other programs may write meanwhile; the values need only be close.
    constexpr uint64_t kSlack = 64ull << 20;
    EXPECT_LT(*ofFolder > *ofNewFile ? *ofFolder - *ofNewFile : *ofNewFile - *ofFolder, kSlack);
    EXPECT_LT(*ofFolder > *ofSlashed ? *ofFolder - *ofSlashed : *ofSlashed - *ofFolder, kSlack);
}

TEST(DiskSpaceTest, AnEmptyPathOrAMissingFolderIsAFailedQuery) {
    EXPECT_EQ(QueryFreeDiskBytes(""), std::nullopt);
    EXPECT_EQ(QueryFreeDiskBytes("/no-such-folder-quorv/deeper/file.avi"), std::nullopt);
    EXPECT_EQ(FreeDiskBytes(""), kUnknownFreeDiskBytes);
    EXPECT_EQ(FreeDiskBytes("/no-such-folder-quorv/deeper/file.avi"), 0x100000u);
}

TEST(DiskSpaceTest, ResultIsTheWholeFigureAndMarksFailuresAsOneMebibyte) {
    FakeDiskSpace fake;
    const struct {
        std::optional<uint64_t> answer;
        uint64_t expected;
    } cases[] = {
        {std::nullopt, 0x100000u},
        {0, 0},
        {10u << 20, 10u << 20},
        {0xFFFFFFFFull, 0xFFFFFFFFull},
        {0x100000000ull, 0x100000000ull},
        {84'123'456'789ull, 84'123'456'789ull},
        {std::numeric_limits<uint64_t>::max(), std::numeric_limits<uint64_t>::max()},
    };
    for (const auto& c : cases) {
        fake.answer = c.answer;
        EXPECT_EQ(FreeDiskBytes("/rec/a.avi"), c.expected) << c.answer.value_or(12345);
    }
    EXPECT_EQ(fake.lastPath, "/rec/a.avi");
}

}  // namespace
