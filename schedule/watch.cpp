#include "schedule/watch.h"

#include <algorithm>
#include <utility>

#include "schedule/target_moment.h"
#include "schedule/texts.h"

namespace velmora::schedule {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::string_view Slot(const std::vector<std::string>& slots, std::size_t number) {
    return number <= slots.size() ? std::string_view{slots[number - 1]} : std::string_view{};
}

// What to do about one target moment in this tick; warnedFor keeps a warning
// from opening twice for the same occurrence.
WatchResult Decide(const Crossing& crossing, std::int64_t target, DateTime targetMoment,
                   std::int64_t now, const WatchInput& input,
                   std::optional<std::int64_t>& warnedFor) {
    if (crossing.crossed(target, now)) {
        return {now - target <= kFireGraceSeconds ? WatchAction::Fire : WatchAction::Missed,
                targetMoment};
    }
    if (input.warn && target > now && warnedFor != target) {
        const std::int64_t warning = SecondsOf(WarningMoment(targetMoment, input.leadText));
        if (warning < target && crossing.crossed(warning, now) &&
            now - warning <= kFireGraceSeconds) {
            warnedFor = target;
            return {WatchAction::OpenWarning, targetMoment};
        }
    }
    return {};
}

}  // namespace

bool Crossing::crossed(std::int64_t momentSeconds, std::int64_t nowSeconds) const {
    return momentSeconds > previous(nowSeconds) && momentSeconds <= nowSeconds;
}

void Crossing::begin(std::int64_t nowSeconds) {
    if (!m_previous) {
        m_previous = nowSeconds - 1;
    }
}

std::int64_t Crossing::previous(std::int64_t nowSeconds) const {
    // Before the first check only the current second counts.
    return m_previous.value_or(nowSeconds - 1);
}

DateTime WarningMoment(DateTime target, std::string_view leadText) {
    return AddToDateTime(target, DateTimeUnit::Seconds, TruncToInt(-TextToNumber(leadText)));
}

void OnceWatch::start(bool wasRunning) {
    if (!wasRunning) {
        m_crossing.reset();
    }
    m_warnedFor.reset();
}

WatchResult OnceWatch::tick(ScheduleTarget& target, int repetitionIndex, const WatchInput& input) {
    m_crossing.begin(SecondsOf(input.now));
    if (repetitionIndex != 0) {
        // Idle. The previous check stays where it was: switching back then sees
        // a target passed meanwhile, and fires it or reports it missed, rather
        // than leaving it armed for a second that will never come.
        return {};
    }
    target.joinedText =
        JoinTexts(target.dateText, target.hourText, target.minuteText, target.secondText);
    const DateTime moment =
        TargetMoment(target.dateText, target.hourText, target.minuteText, target.secondText);
    const std::int64_t now = SecondsOf(input.now);
    const WatchResult result =
        Decide(m_crossing, SecondsOf(moment), moment, now, input, m_warnedFor);
    m_crossing.advance(now);
    return result;
}

void RepeatWatch::start(bool wasRunning) {
    if (!wasRunning) {
        m_crossing.reset();
    }
    m_warnedFor.reset();
}

WatchResult RepeatWatch::tick(const std::vector<std::string>& slots, int repetitionIndex,
                              const WatchInput& input) {
    const bool weekly = repetitionIndex == 2 || CompareTexts(Slot(slots, 21), "2") == 0;
    const bool daily = !weekly && (repetitionIndex == 1 || CompareTexts(Slot(slots, 20), "1") == 0);
    if (!weekly && !daily) {
        m_crossing.reset();
        return {WatchAction::Stop, 0.0};
    }
    const std::int64_t now = SecondsOf(input.now);
    const std::string_view hour = Slot(slots, 17);
    const std::string_view minute = Slot(slots, 18);
    const std::string_view second = Slot(slots, 19);
    const auto occurrenceOn = [&](DateTime day) {
        return TargetMoment(DateTimeToText(day), hour, minute, second);
    };

    // The occurrences around now: the latest at or before now (the one a tick
    // can have crossed; after a long jump the ones before it are missed, not
    // owed) and the first after now (the one to warn of). Neighbouring days and
    // weeks are tried because an hour of 24 moves an occurrence onto the next
    // day.
    std::optional<DateTime> latest;
    std::optional<DateTime> upcoming;
    const auto consider = [&](DateTime moment) {
        const std::int64_t at = SecondsOf(moment);
        if (at <= now && (!latest || at > SecondsOf(*latest))) {
            latest = moment;
        } else if (at > now && (!upcoming || at < SecondsOf(*upcoming))) {
            upcoming = moment;
        }
    };
    const DateTime today = DateOnly(input.now);
    if (weekly) {
        const DateTime base = DateOnly(TextToDateTime(Slot(slots, 16)));
        const std::int64_t weeks = (SecondsOf(today) - SecondsOf(base)) / kSecondsPerDay / 7;
        // Never the saved date itself: the first occurrence is a week after it.
        const std::int64_t first = std::max<std::int64_t>(1, weeks - 1);
        for (std::int64_t week = first; week <= std::max(first, weeks + 1); ++week) {
            consider(occurrenceOn(
                AddToDateTime(base, DateTimeUnit::Weeks, static_cast<std::int32_t>(week))));
        }
    } else {
        for (int day = -2; day <= 1; ++day) {
            consider(occurrenceOn(AddToDateTime(today, DateTimeUnit::Minutes, day * 1440)));
        }
    }

    WatchResult result;
    const bool latestCrossed = latest && m_crossing.crossed(SecondsOf(*latest), now);
    if (latestCrossed && !(m_firedFor && SecondsOf(*latest) <= *m_firedFor)) {
        const std::int64_t at = SecondsOf(*latest);
        result = Decide(m_crossing, at, *latest, now, input, m_warnedFor);
        if (result.action == WatchAction::Fire) {
            m_firedFor = at;
        } else if (std::exchange(m_missedFor, at) == at) {
            result = {};  // told once already (the clock was set back over it)
        }
    } else if (upcoming) {
        result = Decide(m_crossing, SecondsOf(*upcoming), *upcoming, now, input, m_warnedFor);
    }
    m_crossing.advance(now);
    return result;
}

}  // namespace velmora::schedule
