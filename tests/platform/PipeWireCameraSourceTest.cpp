#include "platform/PipeWireCameraSource.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/FrameRecord.h"

namespace {

using namespace std::chrono_literals;

// Points PipeWire at a private, empty runtime folder for the scope's life, so
// the machine's own session is never reached.
class PrivateRuntimeScope {
public:
    PrivateRuntimeScope() {
        Save("PIPEWIRE_RUNTIME_DIR");
        Save("PIPEWIRE_REMOTE");
        Save("PIPEWIRE_CORE");
        setenv("PIPEWIRE_RUNTIME_DIR", folder_.path().toUtf8().constData(), 1);
        unsetenv("PIPEWIRE_REMOTE");
        unsetenv("PIPEWIRE_CORE");
    }
    ~PrivateRuntimeScope() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    std::string SocketPath() const { return folder_.filePath("pipewire-0").toStdString(); }

private:
    void Save(const char* name) {
        const char* value = std::getenv(name);
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    QTemporaryDir folder_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The lines the source reports, from its own thread.
class ReportedLines {
public:
    PipeWireCameraSource::Report Sink() {
        return [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
            changed_.notify_all();
        };
    }
    bool WaitForFirst() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [this] { return !lines_.empty(); });
    }
    std::vector<std::string> Lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

// A socket where the daemon's would be, which hangs up on every client: a
// daemon that dies as soon as the source has connected.
class HangingUpDaemon {
public:
    explicit HangingUpDaemon(const std::string& path) {
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        bound_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                 listen(listener_, 4) == 0;
        thread_ = std::thread([this] {
            for (int client; (client = accept(listener_, nullptr, nullptr)) >= 0;) {
                ++clients_;
                close(client);
            }
        });
    }
    ~HangingUpDaemon() {
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        thread_.join();
    }
    bool IsListening() const { return bound_; }
    int Clients() const { return clients_; }

private:
    int listener_ = -1;
    bool bound_ = false;
    std::atomic<int> clients_{0};
    std::thread thread_;
};

// The nice value of this process's thread named `name`, if there is one.
std::optional<int> NiceOfThread(const std::string& name) {
    DIR* tasks = opendir("/proc/self/task");
    std::optional<int> nice;
    while (dirent* task = tasks != nullptr ? readdir(tasks) : nullptr) {
        const std::string folder = std::string("/proc/self/task/") + task->d_name;
        std::string comm;
        std::getline(std::ifstream(folder + "/comm"), comm);
        if (comm == name) {
            std::string stat;
            std::getline(std::ifstream(folder + "/stat"), stat);
            std::istringstream fields(stat.substr(stat.rfind(')') + 2));
            std::string field;
            for (int i = 0; i < 17 && fields >> field; ++i) {
            }
            nice = std::stoi(field);  // field 19 of stat
        }
    }
    if (tasks != nullptr) {
        closedir(tasks);
    }
    return nice;
}

// Whether a thread of this process may raise its priority to nice -5.
bool MayRaisePriority() {
    bool allowed = false;
    std::thread([&] { allowed = setpriority(PRIO_PROCESS, gettid(), -5) == 0; }).join();
    return allowed;
}

std::vector<uint8_t> GreyPicture() {
    return std::vector<uint8_t>(FrameRecord::kPixelsSize_bytes, 128);
}

}  // namespace

// Pictures published meanwhile are dropped at once: Publish returns while
// nothing can be reached, and the source goes away cleanly with a retry due.
TEST(PipeWireCameraSourceTest, WithoutADaemonItSaysSoInOneLineAndKeepsRunning) {
    PrivateRuntimeScope runtime;
    ReportedLines reported;
    {
        PipeWireCameraSource camera(reported.Sink());
        ASSERT_TRUE(reported.WaitForFirst());
        const std::vector<uint8_t> picture = GreyPicture();
        for (int frame = 0; frame < 50; ++frame) {
            camera.Publish(picture.data());
        }
    }
    const std::vector<std::string> lines = reported.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("camera for other programs is off"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("no PipeWire daemon is running"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].find('\n'), std::string::npos);
}

TEST(PipeWireCameraSourceTest, ADaemonThatHangsUpIsReportedAsABrokenConnection) {
    PrivateRuntimeScope runtime;
    HangingUpDaemon daemon(runtime.SocketPath());
    ASSERT_TRUE(daemon.IsListening());
    ReportedLines reported;
    {
        PipeWireCameraSource camera(reported.Sink());
        ASSERT_TRUE(reported.WaitForFirst());
    }
    EXPECT_GE(daemon.Clients(), 1);
    const std::vector<std::string> lines = reported.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("the PipeWire connection broke"), std::string::npos) << lines[0];
}

// The camera's thread must take each picture within a frame time, so it runs
// above normal as the frame thread does, where the process may raise it.
TEST(PipeWireCameraSourceTest, ItsThreadRunsAboveNormalWherePermitted) {
    PrivateRuntimeScope runtime;
    ReportedLines reported;
    PipeWireCameraSource camera(reported.Sink());
    ASSERT_TRUE(reported.WaitForFirst());
    const std::optional<int> nice = NiceOfThread("quorv-camera");
    ASSERT_TRUE(nice.has_value());
    EXPECT_EQ(*nice, MayRaisePriority() ? -5 : getpriority(PRIO_PROCESS, 0));
}
