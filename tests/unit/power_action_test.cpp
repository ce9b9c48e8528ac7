#include "schedule/power_action.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_power.h"

namespace velmora::schedule {
namespace {

using platform::FakePower;
using platform::PowerRequest;
using Request = FakePower::Request;

TEST(ShutDownSystem, EachModeMakesItsOneRequest) {
    const struct {
        int mode;
        bool force;
        PowerRequest expected;
    } kCases[] = {
        {1, false, PowerRequest::PowerOff},  {1, true, PowerRequest::ForcedPowerOff},
        {2, false, PowerRequest::Reboot},    {2, true, PowerRequest::ForcedReboot},
        {3, false, PowerRequest::LogOff},    {3, true, PowerRequest::ForcedLogOff},
        {4, false, PowerRequest::Suspend},   {4, true, PowerRequest::Suspend},
        {5, false, PowerRequest::Hibernate}, {5, true, PowerRequest::Hibernate},
    };
    for (const auto& c : kCases) {
        for (const bool interactive : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << c.mode << " force " << c.force
                                            << " interactive " << interactive);
            FakePower power;
            EXPECT_TRUE(ShutDownSystem(power, c.mode, c.force, interactive));
            EXPECT_EQ(power.requests(), (std::vector<Request>{{c.expected, interactive}}));
        }
    }
}

TEST(ShutDownSystem, ForceAndInteractiveAreOffWhenLeftOut) {
    FakePower power;
    EXPECT_TRUE(ShutDownSystem(power, kShutDownPowerOff));
    EXPECT_EQ(power.requests(), (std::vector<Request>{{PowerRequest::PowerOff, false}}));
}

TEST(ShutDownSystem, ModesOutsideOneToFiveAskNothing) {
    for (const int mode : {0, 6, -1, 7, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(mode);
        FakePower power;
        EXPECT_FALSE(ShutDownSystem(power, mode));
        EXPECT_FALSE(ShutDownSystem(power, mode, true, true));
        EXPECT_TRUE(power.requests().empty());
    }
}

TEST(ShutDownSystem, ReportsARefusal) {
    FakePower power;
    power.setRefusing(true);
    EXPECT_FALSE(ShutDownSystem(power, kShutDownReboot));
    EXPECT_EQ(power.requests().size(), 1u);
}

TEST(DispatchPowerAction, GoesByTheExactItemText) {
    const struct {
        std::string text;
        std::optional<PowerRequest> expected;  // nullopt: no action named
    } kCases[] = {
        {"关机", PowerRequest::PowerOff},
        {"重启", PowerRequest::Reboot},
        {"注销", PowerRequest::LogOff},
        {"强制关机", PowerRequest::ForcedPowerOff},  // ends with "关机", still its own
        {"关闭显示器", PowerRequest::DisplayOff},
        {std::string("关机\0后面", 13), PowerRequest::PowerOff},  // a text ends at its zero byte
        {"", std::nullopt},                                       // no selection
        {"关机 ", std::nullopt},
        {" 关机", std::nullopt},
        {"关", std::nullopt},
        {"关机了", std::nullopt},  // an item whose text was changed
        {"关闭显示", std::nullopt},
        {"强制", std::nullopt},
        {"0", std::nullopt},  // the index is not a name
        {std::string("\0关机", 7), std::nullopt},
    };
    for (const auto& c : kCases) {
        for (const bool interactive : {false, true}) {
            SCOPED_TRACE(testing::Message() << '"' << c.text << "\" interactive " << interactive);
            FakePower power;
            const PowerActionOutcome outcome = DispatchPowerAction(power, c.text, interactive);
            if (c.expected) {
                EXPECT_EQ(outcome, PowerActionOutcome::Accepted);
                EXPECT_EQ(power.requests(), (std::vector<Request>{{*c.expected, interactive}}));
            } else {
                EXPECT_EQ(outcome, PowerActionOutcome::NoSuchAction);
                EXPECT_TRUE(power.requests().empty());
            }
        }
    }
}

TEST(DispatchPowerAction, ARefusedRequestIsReportedNotRepeated) {
    for (const std::string_view text : kPowerActionTexts) {
        SCOPED_TRACE(std::string(text));
        FakePower power;
        power.setRefusing(true);
        EXPECT_EQ(DispatchPowerAction(power, text, false), PowerActionOutcome::Refused);
        EXPECT_EQ(power.requests().size(), 1u);
    }
}

}  // namespace
}  // namespace velmora::schedule
