#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/date_time.h"
#include "schedule/schedule_target.h"

namespace velmora::schedule {

// How far past its second a target may be seen and still fire: a late timer, a
// busy machine or a clock set forward a little still act. A target seen later
// than this (the machine slept through it, the clock jumped far ahead) is
// missed rather than fired at a moment the user did not choose.
inline constexpr std::int64_t kFireGraceSeconds = 60;

// What one tick of a watcher decided.
enum class WatchAction {
    Nothing,
    OpenWarning,  // the warning moment was crossed and the target is still ahead
    Fire,         // the target second was crossed: run the power action
    Missed,       // the target was passed by more than the grace: do not act, tell the user
    Stop,         // nothing left to watch: stop the watcher's timer
};

struct WatchResult {
    WatchAction action = WatchAction::Nothing;
    DateTime occurrence = 0.0;  // the target moment the action is about
};

// What a tick reads besides the target: the current moment (read once for the
// tick) and the warning settings.
struct WatchInput {
    DateTime now = 0.0;
    bool warn = false;          // warning check box ticked
    std::string_view leadText;  // warning lead in seconds, as typed
};

// Remembers the previous check and decides by crossing, not landing: a moment
// counts when it lies after the previous check and at or before now. So a late
// tick still sees a second it stepped over, and a clock set back sees nothing
// twice.
class Crossing {
public:
    // Forgets the previous check; the next check counts the second it lands in.
    void reset() { m_previous.reset(); }

    // Starts counting from now: the first check counts the second it lands in.
    // Does nothing once a check was made.
    void begin(std::int64_t nowSeconds);

    // Whether the moment was crossed since the previous check. Call
    // advance() once per tick after all questions of that tick.
    bool crossed(std::int64_t momentSeconds, std::int64_t nowSeconds) const;
    std::int64_t previous(std::int64_t nowSeconds) const;
    void advance(std::int64_t nowSeconds) { m_previous = nowSeconds; }

private:
    std::optional<std::int64_t> m_previous;
};

// The watcher of a task that runs once: its target is the armed ScheduleTarget.
class OnceWatch {
public:
    // A watcher (re)started by arming: the first tick counts from the second it
    // lands in. A running watcher that is armed again keeps its previous check.
    void start(bool wasRunning);

    // One tick. repetitionIndex is the repetition's current choice: while it is
    // not "once" the watcher idles (and keeps running). Refreshes the target's
    // joined text, which the settings file keeps.
    WatchResult tick(ScheduleTarget& target, int repetitionIndex, const WatchInput& input);

private:
    Crossing m_crossing;
    std::optional<std::int64_t> m_warnedFor;
};

// The watcher of a daily or weekly task. Its target comes from the repeat
// record in the settings slots (16 date, 17-19 hour, minute, second; 20 daily
// marker "1", 21 weekly marker "2"), so a task saved before a restart keeps
// firing.
//   weekly when the repetition index is 2 or slot 21 is "2": at the saved time
//     on the saved date plus 1, 2, 3, ... weeks;
//   else daily when the index is 1 or slot 20 is "1": at the saved time every day;
//   else there is no task: Stop.
// An occurrence fires at most once, even when the clock is set back over it.
class RepeatWatch {
public:
    void start(bool wasRunning);
    WatchResult tick(const std::vector<std::string>& slots, int repetitionIndex,
                     const WatchInput& input);

private:
    Crossing m_crossing;
    std::optional<std::int64_t> m_firedFor;
    std::optional<std::int64_t> m_warnedFor;
    std::optional<std::int64_t> m_missedFor;
};

// The warning moment of a target moment: lead seconds (the lead text read as a
// number, cut to a whole number) before it.
DateTime WarningMoment(DateTime target, std::string_view leadText);

}  // namespace velmora::schedule
