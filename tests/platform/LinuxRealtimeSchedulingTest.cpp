#include "platform/LinuxRealtimeScheduling.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>

#include <atomic>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/RealtimeKitClient.h"
#include "support/FakeRealtimeKit.h"
#include "support/PrivateDBus.h"

void PrintTo(RealtimeScheduling::Grant grant, std::ostream* out) {
    constexpr const char* kNames[] = {"unchanged", "direct", "RealtimeKit"};
    *out << kNames[static_cast<int>(grant)];
}

namespace {

using Grant = RealtimeScheduling::Grant;

constexpr int kAsked = 10;

struct Outcome {
    Grant grant = Grant::kUnchanged;
    pid_t thread = 0;
    int policy = -1;
    rlim_t rtTimeHardLimit_us = 0;
};

// Asks on a thread of its own, as the frame thread does for itself, while this
// thread answers for the fake service. The thread ends right after.
Outcome AskOnWorker(RealtimeScheduling& scheduling) {
    Outcome outcome;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        outcome.thread = gettid();
        outcome.grant = scheduling.MakeCallingThreadRealtime(kAsked);
        outcome.policy = sched_getscheduler(0);
        rlimit limit{};
        getrlimit(RLIMIT_RTTIME, &limit);
        outcome.rtTimeHardLimit_us = limit.rlim_max;
        done = true;
    });
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 10'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
    return outcome;
}

// One bus for the suite, started before QtDBus runs a thread of its own:
// ThreadSanitizer can't follow a process that forks (QProcess) once that
// thread exists.
class LinuxRealtimeSchedulingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bus_ = new PrivateDBus(); }
    static void TearDownTestSuite() {
        delete bus_;
        bus_ = nullptr;
    }
    void SetUp() override { ASSERT_FALSE(bus_->Address().isEmpty()) << "dbus-daemon didn't start"; }

    // The service side's own connection to the private bus.
    QDBusConnection ServiceConnection() {
        const QString name = QStringLiteral("fake-realtimekit-%1").arg(++connections_);
        names_.push_back(name);
        return QDBusConnection::connectToBus(bus_->Address(), name);
    }
    void TearDown() override {
        for (const QString& name : names_) {
            QDBusConnection::disconnectFromBus(name);
        }
    }

    std::string Address() const { return bus_->Address().toStdString(); }

private:
    static inline PrivateDBus* bus_ = nullptr;
    int connections_ = 0;
    std::vector<QString> names_;
};

}  // namespace

// Without permission of its own the process asks RealtimeKit: for the
// calling thread, within the service's highest priority, with RLIMIT_RTTIME
// set within the service's maximum before asking (the fake refuses
// otherwise, as the real one does).
TEST_F(LinuxRealtimeSchedulingTest, WithoutPermissionRealtimeKitIsAskedWithinItsLimits) {
    struct Case {
        int maxPriority;
        qlonglong rtTimeMax_us;
        uint32_t priority;
        rlim_t rtTimeHardLimit_us;  // at most
    };
    const Case cases[] = {
        {20, 200'000, kAsked, LinuxRealtimeScheduling::kRealtimeBudget_us},
        {5, 200'000, 5, LinuxRealtimeScheduling::kRealtimeBudget_us},
        {20, 1'000'000, kAsked, LinuxRealtimeScheduling::kRealtimeBudget_us},
        {20, 50'000, kAsked, 50'000},
    };
    for (const Case& c : cases) {
        FakeRealtimeKit service(ServiceConnection(), c.maxPriority, c.rtTimeMax_us);
        ASSERT_TRUE(service.Published());
        RealtimeKitClient client(Address());
        LinuxRealtimeScheduling scheduling([](int) { return false; }, client);

        const Outcome outcome = AskOnWorker(scheduling);

        const std::string label =
            std::to_string(c.maxPriority) + ", " + std::to_string(c.rtTimeMax_us) + " us";
        EXPECT_EQ(outcome.grant, Grant::kRealtimeKit) << label;
        ASSERT_TRUE(service.LastRequest()) << label;
        EXPECT_EQ(service.LastRequest()->thread, static_cast<uint64_t>(outcome.thread)) << label;
        EXPECT_EQ(service.LastRequest()->priority, c.priority) << label;
        EXPECT_LE(service.LastRequest()->rtTimeHardLimit_us, c.rtTimeHardLimit_us) << label;
        EXPECT_EQ(outcome.policy, SCHED_OTHER) << "the fake changes nothing: " << label;
    }
}

// A refusal, a bus without the service or no bus at all leave the thread as
// it was, without a word.
TEST_F(LinuxRealtimeSchedulingTest, WhereNobodyGrantsItTheThreadKeepsItsPriority) {
    enum class Setting { kRefused, kNoService, kNoBus };
    for (Setting setting : {Setting::kRefused, Setting::kNoService, Setting::kNoBus}) {
        std::unique_ptr<FakeRealtimeKit> service;
        if (setting == Setting::kRefused) {
            service = std::make_unique<FakeRealtimeKit>(ServiceConnection(), 20, 200'000);
            ASSERT_TRUE(service->Published());
            service->RefuseEverything();
        }
        RealtimeKitClient client(setting == Setting::kNoBus ? "unix:path=/nonexistent/bus"
                                                            : Address());
        LinuxRealtimeScheduling scheduling([](int) { return false; }, client);

        const Outcome outcome = AskOnWorker(scheduling);

        EXPECT_EQ(outcome.grant, Grant::kUnchanged) << static_cast<int>(setting);
        EXPECT_EQ(outcome.policy, SCHED_OTHER) << static_cast<int>(setting);
        if (service) {
            EXPECT_TRUE(service->LastRequest());
        }
    }
}

// With permission the thread sets SCHED_FIFO itself, reset for children, and
// under a run-time limit; RealtimeKit is not asked. Where the kernel refuses
// after all (no permission of this test process's own), RealtimeKit is next.
TEST_F(LinuxRealtimeSchedulingTest, WithPermissionTheThreadSetsFifoItself) {
    FakeRealtimeKit service(ServiceConnection(), 20, 200'000);
    ASSERT_TRUE(service.Published());
    RealtimeKitClient client(Address());
    LinuxRealtimeScheduling scheduling([](int) { return true; }, client);

    const Outcome outcome = AskOnWorker(scheduling);

    EXPECT_LE(outcome.rtTimeHardLimit_us, LinuxRealtimeScheduling::kRealtimeBudget_us);
    if (!LinuxRealtimeScheduling::ProcessMayScheduleRealtime(kAsked)) {
        EXPECT_EQ(outcome.grant, Grant::kRealtimeKit);
        return;
    }
    EXPECT_EQ(outcome.grant, Grant::kDirect);
    EXPECT_EQ(outcome.policy, SCHED_FIFO | SCHED_RESET_ON_FORK);
    EXPECT_FALSE(service.LastRequest());
}
