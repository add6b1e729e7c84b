#include "device/CommandChannelKeeper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

using Millis = std::chrono::milliseconds;

// The keeper's queue with a clock the test moves.
class FakeClock {
  public:
    void after(Millis delay, std::function<void()> task) { tasks_.emplace(now_ + delay, std::move(task)); }
    // Runs every task due until now + span, in time order, at its own time.
    void advance(Millis span) {
        const Millis end = now_ + span;
        while (!tasks_.empty() && tasks_.begin()->first <= end) {
            auto first = tasks_.begin();
            now_ = first->first;
            auto task = std::move(first->second);
            tasks_.erase(first);
            task();
        }
        now_ = end;
    }

  private:
    Millis now_{0};
    std::multimap<Millis, std::function<void()>> tasks_;
};

// What every channel the keeper built was asked.
struct ChannelLog {
    int built = 0;
    int listRequests = 0;
    std::vector<int> choices;
    std::string host;
    std::uint16_t port = 0;
};

class FakeChannel : public CommandChannelKeeper::Channel {
  public:
    FakeChannel(ChannelLog &log, CommandUDPSocketDelegate &delegate) : log_(log), delegate_(delegate) {}
    void askForList() override { ++log_.listRequests; }
    void choose(std::uint8_t index) override { log_.choices.push_back(index); }
    const std::vector<STRUCT_RESOLUTION> &list() const override { return list_; }

    // The camera's answer as the socket reports it.
    void answer(std::vector<STRUCT_RESOLUTION> list) {
        list_.clear();
        delegate_.ClearResolution();
        list_ = std::move(list);
        delegate_.fillResolution();
    }
    void close() { delegate_.commandSocketDidClose(); }
    void replyToChoice(std::int32_t result, bool complete) {
        delegate_.setResolutionReplied(result, complete);
    }

  private:
    ChannelLog &log_;
    CommandUDPSocketDelegate &delegate_;
    std::vector<STRUCT_RESOLUTION> list_;
};

std::vector<STRUCT_RESOLUTION> cameraList() {
    return {{1920, 1080, {}}, {1280, 720, {}}, {640, 480, {}}};
}

class CommandChannelKeeperTest : public testing::Test {
  protected:
    CommandChannelKeeper::Hooks hooks() {
        CommandChannelKeeper::Hooks hooks;
        hooks.clearList = [this] { shown.push_back({}); };
        hooks.showList = [this](const std::vector<STRUCT_RESOLUTION> &list) {
            std::string titles;
            for (const auto &entry : list)
                titles += std::to_string(entry.width) + "x" + std::to_string(entry.height) + " ";
            shown.push_back(titles);
        };
        hooks.streamRuns = [this] { return streamRuns; };
        hooks.choiceFailed = [this](const STRUCT_RESOLUTION &choice, bool answered) {
            failures.push_back(std::to_string(choice.width) + (answered ? " refused" : " unanswered"));
        };
        return hooks;
    }
    CommandChannelKeeper::Environment environment() {
        CommandChannelKeeper::Environment environment;
        environment.after = [this](Millis delay, std::function<void()> task) {
            clock.after(delay, std::move(task));
        };
        environment.makeChannel = [this](const std::string &host, std::uint16_t port,
                                         CommandUDPSocketDelegate &delegate) {
            ++log.built;
            log.host = host;
            log.port = port;
            auto channel = std::make_unique<FakeChannel>(log, delegate);
            current = channel.get();
            return std::unique_ptr<CommandChannelKeeper::Channel>(std::move(channel));
        };
        return environment;
    }
    std::unique_ptr<CommandChannelKeeper> makeKeeper() {
        return std::make_unique<CommandChannelKeeper>("127.0.0.1", 50000, hooks(), environment());
    }

    FakeClock clock;
    ChannelLog log;
    FakeChannel *current = nullptr;  // the newest channel built
    bool streamRuns = false;
    std::vector<std::string> shown;     // "" for each clearing, the titles for each list shown
    std::vector<std::string> failures;  // each choice the user is told failed
};

TEST_F(CommandChannelKeeperTest, TheStreamComingBackBuildsAChannelThatAsksForTheListAndShowsIt) {
    auto keeper = makeKeeper();
    EXPECT_EQ(log.built, 0) << "no channel before the stream";
    EXPECT_FALSE(keeper->hasChannel());
    keeper->streamBack();
    EXPECT_EQ(log.built, 1);
    EXPECT_EQ(log.host, "127.0.0.1");
    EXPECT_EQ(log.port, 50000);
    EXPECT_EQ(log.listRequests, 1);
    EXPECT_FALSE(keeper->listReceived());

    current->answer(cameraList());
    EXPECT_TRUE(keeper->listReceived());
    EXPECT_EQ(shown, (std::vector<std::string>{"", "1920x1080 1280x720 640x480 "}));
    EXPECT_EQ(keeper->indexOf(1280, 720), 1);
    EXPECT_EQ(keeper->indexOf(1920, 1080), 0);
    EXPECT_EQ(keeper->indexOf(720, 1280), -1);

    keeper->choose(2);
    keeper->choose(-1);  // nothing selected: the channel's range check turns it down
    EXPECT_EQ(log.choices, (std::vector<int>{2, 255}));

    clock.advance(30s);
    EXPECT_EQ(log.listRequests, 1) << "a list came: nobody asks again";
    keeper->streamBack();
    EXPECT_EQ(log.built, 2) << "every reconnection brings a fresh channel";
    EXPECT_TRUE(keeper->listReceived()) << "the list shown stays until the camera's next answer";
}

// A refused or unanswered choice only snapped the menu back; now the user is told, once per choice.
TEST_F(CommandChannelKeeperTest, ARefusedOrUnansweredChoiceIsTold) {
    const struct {
        const char *camera;
        std::function<void(FakeChannel &)> answer;
        std::vector<std::string> told;
    } cases[] = {
        {"accepts", [](FakeChannel &c) { c.replyToChoice(0, true); }, {}},
        {"refuses", [](FakeChannel &c) { c.replyToChoice(-1, true); }, {"1280 refused"}},
        {"replies too short to tell", [](FakeChannel &c) { c.replyToChoice(-1, false); }, {}},
        {"is silent", [](FakeChannel &) {}, {"1280 unanswered"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.camera);
        failures.clear();
        auto keeper = makeKeeper();
        keeper->streamBack();
        current->answer(cameraList());
        keeper->choose(1);
        c.answer(*current);
        clock.advance(CommandChannelKeeper::kChoiceWait + 1s);
        EXPECT_EQ(failures, c.told);
        current->replyToChoice(-1, true);  // a late reply, after the choice was settled
        EXPECT_EQ(failures, c.told);
    }
}

TEST_F(CommandChannelKeeperTest, TheMenuIsRebuiltOnlyWhenTheListChanges) {
    auto keeper = makeKeeper();
    keeper->streamBack();
    current->answer(cameraList());
    current->answer(cameraList());
    keeper->streamBack();
    current->answer(cameraList());
    EXPECT_EQ(shown, (std::vector<std::string>{"", "1920x1080 1280x720 640x480 "})) << "the same list again";

    current->answer({{1280, 720, {}}});
    current->answer({});
    EXPECT_EQ(shown, (std::vector<std::string>{"", "1920x1080 1280x720 640x480 ", "", "1280x720 ", ""}));
    EXPECT_FALSE(keeper->listReceived()) << "an empty list takes the menu's list away";
    current->answer({{1280, 720, {}}});
    EXPECT_TRUE(keeper->listReceived());
    EXPECT_EQ(shown.back(), "1280x720 ");
}

TEST_F(CommandChannelKeeperTest, WhileNoListHasComeTheChannelIsAskedAgainEveryThreeSeconds) {
    struct Case {
        const char *name;
        std::vector<STRUCT_RESOLUTION> answer;  // given before the retries; none: no answer at all
        bool answered;
    };
    for (const Case &c : {Case{"no answer", {}, false}, Case{"an empty list", {}, true}}) {
        SCOPED_TRACE(c.name);
        log = {};
        shown.clear();
        auto keeper = makeKeeper();
        keeper->streamBack();
        if (c.answered) current->answer(c.answer);
        EXPECT_FALSE(keeper->listReceived());
        clock.advance(2999ms);
        EXPECT_EQ(log.listRequests, 1);
        clock.advance(1ms);
        EXPECT_EQ(log.listRequests, 2);
        clock.advance(6s);
        EXPECT_EQ(log.listRequests, 4);
        EXPECT_EQ(log.built, 1);
        current->answer(cameraList());
        clock.advance(9s);
        EXPECT_EQ(log.listRequests, 4) << "the list has come";
    }
}

TEST_F(CommandChannelKeeperTest, AClosedChannelIsRebuiltThreeSecondsLaterUnlessTheStreamBroughtOneMeanwhile) {
    auto keeper = makeKeeper();
    keeper->streamBack();
    current->close();
    clock.advance(2999ms);
    EXPECT_EQ(log.listRequests, 1) << "no retry on a closed channel";
    EXPECT_EQ(log.built, 1);
    clock.advance(1ms);
    EXPECT_EQ(log.built, 2);
    EXPECT_EQ(log.listRequests, 2) << "the new channel asks at once";
    current->answer(cameraList());
    EXPECT_TRUE(keeper->listReceived());

    // A command service that comes up late: every close brings one rebuild, the last one gets the list.
    auto late = makeKeeper();
    log = {};
    late->streamBack();
    current->close();
    late->streamBack();  // the stream came back meanwhile: its channel replaces the closed one
    EXPECT_EQ(log.built, 2);
    clock.advance(3s);
    EXPECT_EQ(log.built, 2) << "the closed channel's rebuild is dropped";
    current->close();
    clock.advance(3s);
    EXPECT_EQ(log.built, 3);
    current->answer(cameraList());
    EXPECT_TRUE(late->listReceived());
}

TEST_F(CommandChannelKeeperTest, PicturesWithoutAChannelGetOneAtTheNextRetry) {
    auto keeper = makeKeeper();
    clock.advance(3s);
    EXPECT_EQ(log.built, 0) << "no stream, no channel";
    streamRuns = true;  // the reconnection gave up waiting, then pictures came
    clock.advance(2999ms);
    EXPECT_EQ(log.built, 0);
    clock.advance(1ms);
    EXPECT_EQ(log.built, 1);
    EXPECT_EQ(log.listRequests, 1);
    current->answer(cameraList());
    EXPECT_EQ(shown.back(), "1920x1080 1280x720 640x480 ");
}

TEST_F(CommandChannelKeeperTest, WorkScheduledBeforeTheKeeperWentDoesNothing) {
    auto keeper = makeKeeper();
    keeper->streamBack();
    current->close();
    keeper.reset();
    streamRuns = true;
    clock.advance(10s);
    EXPECT_EQ(log.built, 1);
    EXPECT_EQ(log.listRequests, 1);
}

}  // namespace
