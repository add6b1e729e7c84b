#include "gridview/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(NotificationCenterTest, MatchesByNameAndSender) {
    NotificationCenter center;
    QObject a, b;
    std::vector<std::string> heard;
    auto any = center.observe("Ping", nullptr, [&](const Notification &n) {
        heard.push_back("any " + n.userInfo.value("k").toString().toStdString());
    });
    auto fromA = center.observe("Ping", &a, [&](const Notification &) { heard.push_back("a"); });
    auto everything = center.observe(
        QString(), &b, [&](const Notification &n) { heard.push_back("b:" + n.name.toStdString()); });

    center.postNotificationName("Ping", &a, {{"k", "1"}});
    center.postNotificationName("Ping", &b, {{"k", "2"}});
    center.postNotificationName("Pong", &b);
    EXPECT_EQ(heard, (std::vector<std::string>{"any 1", "a", "any 2", "b:Ping", "b:Pong"}));
}

TEST(NotificationCenterTest, RegistrationEndsWithItsOwner) {
    NotificationCenter center;
    int calls = 0;
    {
        auto registration = center.observe("Ping", nullptr, [&](const Notification &) { ++calls; });
        auto moved = std::move(registration);
        center.postNotificationName("Ping", nullptr);
        EXPECT_EQ(center.observerCount(), 1u);
    }
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount(), 0u);
}

TEST(NotificationCenterTest, ObserverRemovedDuringDeliveryIsNotCalledAgain) {
    NotificationCenter center;
    std::vector<std::string> heard;
    NotificationCenter::Registration second;
    auto first = center.observe("Ping", nullptr, [&](const Notification &) {
        heard.push_back("first");
        second.reset();  // e.g. a view deleted by what the first observer did
    });
    second = center.observe("Ping", nullptr, [&](const Notification &) { heard.push_back("second"); });
    center.postNotificationName("Ping", nullptr);
    EXPECT_EQ(heard, std::vector<std::string>{"first"});
}

TEST(NotificationCenterTest, DeliversOnThePostingThread) {
    NotificationCenter center;
    std::thread::id heardOn;
    auto registration =
        center.observe("Ping", nullptr, [&](const Notification &) { heardOn = std::this_thread::get_id(); });
    std::thread::id poster;
    std::thread thread([&] {
        poster = std::this_thread::get_id();
        center.postNotificationName("Ping", nullptr);
    });
    thread.join();
    EXPECT_EQ(heardOn, poster);
}

TEST(NotificationCenterTest, DefaultCenterIsOneInstance) {
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}

}  // namespace
