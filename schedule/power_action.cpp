#include "schedule/power_action.h"

#include <optional>

namespace velmora::schedule {

namespace {

using platform::PowerRequest;

std::optional<PowerRequest> RequestOfMode(int mode, bool force) {
    switch (mode) {
        case kShutDownPowerOff:
            return force ? PowerRequest::ForcedPowerOff : PowerRequest::PowerOff;
        case kShutDownReboot:
            return force ? PowerRequest::ForcedReboot : PowerRequest::Reboot;
        case kShutDownLogOff:
            return force ? PowerRequest::ForcedLogOff : PowerRequest::LogOff;
        case kShutDownSuspend:
            return PowerRequest::Suspend;
        case kShutDownHibernate:
            return PowerRequest::Hibernate;
        default:
            return std::nullopt;
    }
}

PowerActionOutcome OutcomeOf(bool accepted) {
    return accepted ? PowerActionOutcome::Accepted : PowerActionOutcome::Refused;
}

}  // namespace

bool ShutDownSystem(platform::Power& power, int mode, bool force, bool interactive) {
    const std::optional<PowerRequest> request = RequestOfMode(mode, force);
    return request && power.request(*request, interactive);
}

PowerActionOutcome DispatchPowerAction(platform::Power& power, std::string_view itemText,
                                       bool interactive) {
    itemText = itemText.substr(0, itemText.find('\0'));
    if (itemText == kPowerActionTexts[0]) {
        return OutcomeOf(ShutDownSystem(power, kShutDownPowerOff, false, interactive));
    }
    if (itemText == kPowerActionTexts[1]) {
        return OutcomeOf(ShutDownSystem(power, kShutDownReboot, false, interactive));
    }
    if (itemText == kPowerActionTexts[2]) {
        return OutcomeOf(ShutDownSystem(power, kShutDownLogOff, false, interactive));
    }
    if (itemText == kPowerActionTexts[3]) {
        return OutcomeOf(ShutDownSystem(power, kShutDownPowerOff, true, interactive));
    }
    if (itemText == kPowerActionTexts[4]) {
        return OutcomeOf(power.request(PowerRequest::DisplayOff, interactive));
    }
    return PowerActionOutcome::NoSuchAction;
}

}  // namespace velmora::schedule
