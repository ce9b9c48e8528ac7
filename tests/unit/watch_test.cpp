#include "schedule/watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/target_moment.h"
#include "schedule/texts.h"

namespace velmora::schedule {
namespace {

DateTime At(int y, int mo, int d, int h, int mi, int s) {
    return MakeDateTime(y, mo, d, h, mi, s);
}

DateTime Plus(DateTime v, int seconds) {
    return AddToDateTime(v, DateTimeUnit::Seconds, seconds);
}

// Drives a watcher with a clock that the test moves, recording every action
// other than Nothing with the second it happened in.
struct Event {
    WatchAction action;
    std::string at;          // DateTimeToText of the tick's now
    std::string occurrence;  // DateTimeToText of the occurrence
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e) {
    return out << static_cast<int>(e.action) << " at " << e.at << " for " << e.occurrence;
}

Event Fired(const char* at) {
    return {WatchAction::Fire, at, at};
}

class OnceScenario {
public:
    OnceScenario(ScheduleTarget target, DateTime start)
        : m_target(std::move(target)), m_now(start) {
        m_watch.start(false);
    }

    void warnWith(const char* lead) {
        m_warn = true;
        m_lead = lead;
    }
    void setRepetition(int index) { m_repetition = index; }

    // One tick at now, then now moves on by step seconds.
    void tick() {
        const WatchResult result = m_watch.tick(m_target, m_repetition, {m_now, m_warn, m_lead});
        if (result.action != WatchAction::Nothing) {
            m_events.push_back(
                {result.action, DateTimeToText(m_now), DateTimeToText(result.occurrence)});
        }
    }
    void run(int ticks, int step = 1) {
        for (int i = 0; i < ticks; ++i) {
            SCOPED_TRACE(DateTimeToText(m_now));
            tick();
            m_now = Plus(m_now, step);
        }
    }
    void jump(int seconds) { m_now = Plus(m_now, seconds); }

    const std::vector<Event>& events() const { return m_events; }
    const ScheduleTarget& target() const { return m_target; }

private:
    OnceWatch m_watch;
    ScheduleTarget m_target;
    DateTime m_now;
    int m_repetition = 0;
    bool m_warn = false;
    std::string m_lead;
    std::vector<Event> m_events;
};

ScheduleTarget Target(const char* date, const char* h, const char* m, const char* s) {
    return {date, h, m, s, {}};
}

TEST(OnceWatch, FiresExactlyOnceAtItsSecond) {
    OnceScenario scenario(Target("2024年1月5日", "22", "0", "0"), At(2024, 1, 5, 21, 59, 50));
    scenario.run(30);
    EXPECT_EQ(scenario.events(), std::vector<Event>{Fired("2024年1月5日22时")});
    EXPECT_EQ(scenario.target().joinedText, "2024年1月5日2200");
}

TEST(OnceWatch, MatchesMomentsNotJoinedTexts) {
    const struct {
        const char* name;
        ScheduleTarget target;
        DateTime start;
        std::vector<Event> expected;
    } kCases[] = {
        // 1:15:00 and 11:05:00 join to the same text; only 1:15 is the target.
        {"11:05 is not 1:15",
         Target("2024年1月5日", "1", "15", "0"),
         At(2024, 1, 5, 11, 4, 50),
         {}},
        {"1:15 itself",
         Target("2024年1月5日", "1", "15", "0"),
         At(2024, 1, 5, 1, 14, 50),
         {Fired("2024年1月5日1时15分")}},
        {"a minute typed as 05",
         Target("2024年1月5日", "9", "05", "0"),
         At(2024, 1, 5, 9, 4, 50),
         {Fired("2024年1月5日9时5分")}},
        {"hour 24 is midnight",
         Target("2024年1月5日", "24", "0", "0"),
         At(2024, 1, 5, 23, 59, 50),
         {Fired("2024年1月6日")}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        OnceScenario scenario(c.target, c.start);
        scenario.run(30);
        EXPECT_EQ(scenario.events(), c.expected);
    }
}

TEST(OnceWatch, LateTicksAndClockJumps) {
    const struct {
        const char* name;
        int jumpBeforeTarget;  // seconds added to the clock 5 s before the target
        std::vector<Event> expected;
    } kCases[] = {
        {"a tick 3 s late still fires",
         8,
         {{WatchAction::Fire, "2024年1月5日22时0分3秒", "2024年1月5日22时"}}},
        {"the clock set forward 60 s over it still fires",
         65,
         {{WatchAction::Fire, "2024年1月5日22时1分", "2024年1月5日22时"}}},
        {"a 2-hour jump misses it",
         7205,
         {{WatchAction::Missed, "2024年1月6日", "2024年1月5日22时"}}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        OnceScenario scenario(Target("2024年1月5日", "22", "0", "0"), At(2024, 1, 5, 21, 59, 50));
        scenario.run(5);
        scenario.jump(c.jumpBeforeTarget);
        scenario.run(1);
        EXPECT_EQ(scenario.events(), c.expected);
    }
}

TEST(OnceWatch, ClockSetBackAfterFiringDoesNotFireAgain) {
    OnceScenario scenario(Target("2024年1月5日", "22", "0", "0"), At(2024, 1, 5, 21, 59, 55));
    scenario.run(10);
    scenario.jump(-30);
    scenario.run(40);
    // The app stops the timer after Fire; even if a tick came, the crossing is
    // gone: the clock went back, and crossing 22:00 again is not owed.
    ASSERT_FALSE(scenario.events().empty());
    EXPECT_EQ(scenario.events().front(), Fired("2024年1月5日22时"));
}

TEST(OnceWatch, WarningOpensWhenItsMomentIsCrossed) {
    const struct {
        const char* name;
        const char* lead;
        int lateBy;  // seconds the tick around the warning moment is late
        std::vector<Event> expected;
    } kCases[] = {
        {"30 s before",
         "30",
         0,
         {{WatchAction::OpenWarning, "2024年1月5日21时59分30秒", "2024年1月5日22时"},
          Fired("2024年1月5日22时")}},
        {"crossed late, still ahead of the target",
         "30",
         4,
         {{WatchAction::OpenWarning, "2024年1月5日21时59分32秒", "2024年1月5日22时"},
          Fired("2024年1月5日22时")}},
        {"fractional lead is cut",
         "2.9",
         0,
         {{WatchAction::OpenWarning, "2024年1月5日21时59分58秒", "2024年1月5日22时"},
          Fired("2024年1月5日22时")}},
        {"lead 0 gives no warning", "0", 0, {Fired("2024年1月5日22时")}},
        {"negative lead gives no warning", "-5", 0, {Fired("2024年1月5日22时")}},
        {"lead without a number gives no warning", "abc", 0, {Fired("2024年1月5日22时")}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        OnceScenario scenario(Target("2024年1月5日", "22", "0", "0"), At(2024, 1, 5, 21, 59, 0));
        scenario.warnWith(c.lead);
        scenario.run(28);  // up to 21:59:27
        scenario.jump(c.lateBy);
        scenario.run(40);
        EXPECT_EQ(scenario.events(), c.expected);
    }
}

TEST(OnceWatch, IdlesWhileTheRepetitionIsNotOnce) {
    OnceScenario scenario(Target("2024年1月5日", "22", "0", "0"), At(2024, 1, 5, 21, 59, 50));
    scenario.setRepetition(1);
    scenario.run(5);
    scenario.setRepetition(0);
    scenario.run(10);
    EXPECT_EQ(scenario.events(), std::vector<Event>{Fired("2024年1月5日22时")});

    // Switched back only after the target passed: told, not left armed forever.
    OnceScenario late(Target("2024年1月5日", "22", "0", "0"), At(2024, 1, 5, 21, 59, 50));
    late.setRepetition(2);
    late.run(100);
    late.setRepetition(0);
    late.run(1);
    EXPECT_EQ(
        late.events(),
        (std::vector<Event>{{WatchAction::Missed, "2024年1月5日22时1分30秒", "2024年1月5日22时"}}));
}

// ---------------------------------------------------------------- repeating

// Slots of a saved repeating task: the repeat record in 16-19 and the markers.
std::vector<std::string> Slots(const char* date, const char* h, const char* m, const char* s,
                               const char* daily, const char* weekly) {
    std::vector<std::string> slots(21);
    slots[15] = date;
    slots[16] = h;
    slots[17] = m;
    slots[18] = s;
    slots[19] = daily;
    slots[20] = weekly;
    return slots;
}

class RepeatScenario {
public:
    RepeatScenario(std::vector<std::string> slots, int repetition, DateTime start)
        : m_slots(std::move(slots)), m_repetition(repetition), m_now(start) {
        m_watch.start(false);
    }
    void warnWith(const char* lead) {
        m_warn = true;
        m_lead = lead;
    }
    // Ticks every step seconds for the given number of seconds.
    void run(int seconds, int step = 1) {
        for (int i = 0; i < seconds; i += step) {
            const WatchResult result = m_watch.tick(m_slots, m_repetition, {m_now, m_warn, m_lead});
            if (result.action != WatchAction::Nothing) {
                m_events.push_back(
                    {result.action, DateTimeToText(m_now), DateTimeToText(result.occurrence)});
            }
            m_now = Plus(m_now, step);
        }
    }
    void jump(int seconds) { m_now = Plus(m_now, seconds); }
    std::vector<WatchAction> actions() const {
        std::vector<WatchAction> out;
        for (const auto& e : m_events) {
            out.push_back(e.action);
        }
        return out;
    }
    const std::vector<Event>& events() const { return m_events; }

private:
    RepeatWatch m_watch;
    std::vector<std::string> m_slots;
    int m_repetition;
    DateTime m_now;
    bool m_warn = false;
    std::string m_lead;
    std::vector<Event> m_events;
};

constexpr int kDay = 86400;

TEST(RepeatWatch, DailyTaskFiresEveryDayIncludingAcrossMidnight) {
    // Armed at 23:00 for 22:00: today's time has passed, so it first fires
    // tomorrow. Ticks 30 s apart keep the test fast; crossing makes that safe.
    RepeatScenario scenario(Slots("2024年1月5日", "22", "0", "0", "1", "0"), 1,
                            At(2024, 1, 5, 23, 0, 0));
    scenario.run(3 * kDay, 30);
    EXPECT_EQ(scenario.events(),
              (std::vector<Event>{Fired("2024年1月6日22时"), Fired("2024年1月7日22时"),
                                  Fired("2024年1月8日22时")}));
}

TEST(RepeatWatch, DailyAtMidnightWithHour24) {
    RepeatScenario scenario(Slots("2024年1月5日", "24", "0", "0", "1", "0"), 1,
                            At(2024, 1, 5, 12, 0, 0));
    scenario.run(2 * kDay, 30);
    EXPECT_EQ(scenario.events(),
              (std::vector<Event>{Fired("2024年1月6日"), Fired("2024年1月7日")}));
}

TEST(RepeatWatch, WeeklyTaskRepeatsEveryWeekAfterTheSavedDate) {
    // Saved on Monday 2024-02-05 at 22:00: fires on the 12th, 19th and 26th, not
    // on the 5th itself.
    RepeatScenario scenario(Slots("2024年2月5日", "22", "0", "0", "0", "2"), 2,
                            At(2024, 2, 5, 8, 0, 0));
    scenario.run(22 * kDay, 60);
    EXPECT_EQ(scenario.events(),
              (std::vector<Event>{Fired("2024年2月12日22时"), Fired("2024年2月19日22时"),
                                  Fired("2024年2月26日22时")}));
}

TEST(RepeatWatch, TheMarkersDecideAfterARestart) {
    // After a restart the repetition index is whatever the settings restored;
    // the markers the program writes ("1" in slot 20, "2" in slot 21) decide.
    const struct {
        const char* name;
        const char* daily;
        const char* weekly;
        int index;
        std::vector<WatchAction> expected;
    } kCases[] = {
        {"daily marker, index once", "1", "0", 0, {WatchAction::Fire}},
        {"weekly marker, index once", "0", "2", 0, {WatchAction::Fire}},
        {"no marker, index once: nothing to watch", "0", "0", 0, {WatchAction::Stop}},
        {"no marker, index daily", "0", "0", 1, {WatchAction::Fire}},
        {"hand-written swapped markers do not count", "2", "1", 0, {WatchAction::Stop}},
        {"missing slots", "", "", 0, {WatchAction::Stop}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        // Saved a week ago, so today is an occurrence of both kinds.
        RepeatScenario scenario(Slots("2024年1月29日", "22", "0", "0", c.daily, c.weekly), c.index,
                                At(2024, 2, 5, 21, 59, 58));
        // Stop ends the task on the first tick; the app then stops the timer.
        scenario.run(c.expected.front() == WatchAction::Stop ? 1 : 5);
        EXPECT_EQ(scenario.actions(), c.expected);
    }
    RepeatScenario shortList(std::vector<std::string>(3, "1"), 0, At(2024, 2, 5, 21, 59, 58));
    shortList.run(1);
    EXPECT_EQ(shortList.actions(), std::vector<WatchAction>{WatchAction::Stop});
}

TEST(RepeatWatch, MissedOccurrenceIsToldOnceAndTheNextOneFires) {
    RepeatScenario scenario(Slots("2024年1月5日", "22", "0", "0", "1", "0"), 1,
                            At(2024, 1, 5, 21, 59, 0));
    scenario.run(10);
    scenario.jump(3 * 3600);  // slept through 22:00
    scenario.run(kDay, 10);
    EXPECT_EQ(
        scenario.events(),
        (std::vector<Event>{{WatchAction::Missed, "2024年1月6日0时59分10秒", "2024年1月5日22时"},
                            Fired("2024年1月6日22时")}));
}

TEST(RepeatWatch, ClockSetBackOverAFiredOccurrenceDoesNotFireItAgain) {
    RepeatScenario scenario(Slots("2024年1月5日", "22", "0", "0", "1", "0"), 1,
                            At(2024, 1, 5, 21, 59, 55));
    scenario.run(35);
    scenario.jump(-60);
    scenario.run(120);
    EXPECT_EQ(scenario.events(), std::vector<Event>{Fired("2024年1月5日22时")});
}

TEST(RepeatWatch, WarnsBeforeEachOccurrence) {
    RepeatScenario scenario(Slots("2024年1月5日", "22", "0", "0", "1", "0"), 1,
                            At(2024, 1, 5, 21, 0, 0));
    scenario.warnWith("30");
    scenario.run(kDay + 3700, 10);
    EXPECT_EQ(scenario.events(),
              (std::vector<Event>{
                  {WatchAction::OpenWarning, "2024年1月5日21时59分30秒", "2024年1月5日22时"},
                  Fired("2024年1月5日22时"),
                  {WatchAction::OpenWarning, "2024年1月6日21时59分30秒", "2024年1月6日22时"},
                  Fired("2024年1月6日22时")}));
}

}  // namespace
}  // namespace velmora::schedule
