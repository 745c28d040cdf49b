#include "platform/FrameHandOff.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr size_t kBytes = 4096;

std::vector<uint8_t> Picture(uint64_t sequence) {
    return std::vector<uint8_t>(kBytes, static_cast<uint8_t>(sequence * 7 + 1));
}

}  // namespace

// Puts and takes in one thread: each row puts some pictures, then takes once.
TEST(FrameHandOffTest, TakeGivesTheNewestPictureOnceAndDropsTheOlderOnes) {
    struct Step {
        std::vector<uint64_t> put;
        std::optional<uint64_t> taken;
    };
    const Step steps[] = {
        {{}, std::nullopt},  // nothing put yet
        {{1}, 1},            // one picture
        {{}, std::nullopt},  // taken already
        {{2, 3}, 3},         // the older one dropped
        {{4, 5, 6, 7}, 7},   // every slot reused while the consumer holds one
        {{8}, 8},           {{9, 10, 11}, 11}, {{}, std::nullopt},
    };
    FrameHandOff handOff(kBytes);
    for (const Step& step : steps) {
        for (uint64_t sequence : step.put) {
            handOff.Put(Picture(sequence).data(), sequence);
        }
        const std::optional<FrameHandOff::Frame> frame = handOff.Take();
        ASSERT_EQ(frame.has_value(), step.taken.has_value());
        if (frame) {
            EXPECT_EQ(frame->sequence, *step.taken);
            EXPECT_EQ(std::memcmp(frame->bytes, Picture(*step.taken).data(), kBytes), 0)
                << *step.taken;
        }
    }
}

// A producer puts pictures as fast as it can while a consumer takes them: each
// picture taken is whole (every byte from the same Put) and newer than the
// last, and the producer is never held up by the consumer.
TEST(FrameHandOffTest, PicturesStayWholeWhileBothThreadsRun) {
    constexpr uint64_t kPictures = 5'000;
    FrameHandOff handOff(kBytes);
    std::atomic<bool> done{false};
    std::thread producer([&] {
        std::vector<uint8_t> picture(kBytes);
        for (uint64_t sequence = 1; sequence <= kPictures; ++sequence) {
            std::memset(picture.data(), static_cast<uint8_t>(sequence), kBytes);
            handOff.Put(picture.data(), sequence);
        }
        done = true;
    });
    uint64_t last = 0;
    uint64_t taken = 0;
    bool whole = true;
    while (!done || last < kPictures) {
        const std::optional<FrameHandOff::Frame> frame = handOff.Take();
        if (!frame) {
            if (done) {
                break;
            }
            std::this_thread::yield();
            continue;
        }
        ASSERT_GT(frame->sequence, last);
        last = frame->sequence;
        ++taken;
        const auto expected = static_cast<uint8_t>(frame->sequence);
        for (size_t i = 0; i < kBytes; ++i) {
            whole = whole && frame->bytes[i] == expected;
        }
    }
    producer.join();
    EXPECT_TRUE(whole);
    EXPECT_EQ(last, kPictures);  // the last picture put is never lost
    EXPECT_GT(taken, 0u);
}
