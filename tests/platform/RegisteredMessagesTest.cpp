#include "platform/RegisteredMessages.h"

#include <QCoreApplication>
#include <QObject>

#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr const char* kProgramMessages[] = {
    "RWMQUORVTVAVIWRITERPOWEROFF", "RWMGENERICSTATUSTEXT", "RWMGENERICERRORLOGCLEAR",
    "RWMGENERICERRORLOGADD",       "RWMGENERICFILEPOS",    "RWMGENERICFILELENGTH",
    "RWMGENERICFILEDONE",          "RWMGENERICPROGRESS",
};

class CountingReceiver : public QObject {
public:
    explicit CountingReceiver(QEvent::Type type) : type_(type) {}
    bool event(QEvent* e) override {
        if (e->type() == type_) {
            ++count;
            return true;
        }
        return QObject::event(e);
    }
    int count = 0;

private:
    QEvent::Type type_;
};

TEST(RegisteredMessagesTest, EachNameKeepsItsOwnCustomEventType) {
    RegisterProgramMessages();
    std::vector<QEvent::Type> first;
    for (const char* name : kProgramMessages) {
        first.push_back(RegisteredMessage(name));
    }
    RegisterProgramMessages();
    std::set<int> distinct;
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(RegisteredMessage(kProgramMessages[i]), first[i]) << kProgramMessages[i];
        EXPECT_GE(first[i], QEvent::User);
        EXPECT_LE(first[i], QEvent::MaxUser);
        distinct.insert(first[i]);
    }
    EXPECT_EQ(distinct.size(), first.size());
    EXPECT_EQ(RegisteredMessage(kPowerOffMessageName), first[0]);
}

TEST(RegisteredMessagesTest, ThreadsRegisteringOneNameTogetherGetOneType) {
    std::vector<QEvent::Type> types(8, QEvent::None);
    std::vector<std::thread> threads;
    for (auto& type : types) {
        threads.emplace_back([&type] { type = RegisteredMessage("RWMTESTRACE"); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_NE(types[0], QEvent::None);
    EXPECT_EQ(std::set<QEvent::Type>(types.begin(), types.end()).size(), 1u);
}

TEST(RegisteredMessagesTest, PostedFromWorkerThreadsEveryEventArrivesOnTheReceiversThread) {
    const QEvent::Type type = RegisteredMessage(kPowerOffMessageName);
    CountingReceiver receiver(type);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&receiver, type] {
            for (int i = 0; i < 50; ++i) {
                PostRegisteredMessage(&receiver, type);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    PostRegisteredMessage(nullptr, type);
    PostRegisteredMessage(&receiver, QEvent::None);
    EXPECT_EQ(receiver.count, 0);
    QCoreApplication::sendPostedEvents(&receiver);
    EXPECT_EQ(receiver.count, 200);
}

}  // namespace
