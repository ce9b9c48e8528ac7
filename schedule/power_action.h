#pragma once

#include <array>
#include <string_view>

#include "platform/power.h"

namespace velmora::schedule {

// The modes of ShutDownSystem. The program itself uses the first three.
inline constexpr int kShutDownPowerOff = 1;
inline constexpr int kShutDownReboot = 2;
inline constexpr int kShutDownLogOff = 3;
inline constexpr int kShutDownSuspend = 4;
inline constexpr int kShutDownHibernate = 5;

// Makes one request of the system for mode 1 to 5: power off, restart, log off,
// suspend, hibernate. force: power off, restart or log off without waiting for
// applications (suspend and hibernate never wait for them). True when the
// system took the request; a mode outside 1..5 returns false and makes none.
//
//   ShutDownSystem(power, kShutDownPowerOff, /*force=*/true);  // ForcedPowerOff
//   ShutDownSystem(power, 6);                                   // false, nothing asked
bool ShutDownSystem(platform::Power& power, int mode, bool force = false, bool interactive = false);

// The items of the action combo box, in their order.
inline constexpr std::array<std::string_view, 5> kPowerActionTexts = {"关机", "重启", "注销",
                                                                      "强制关机", "关闭显示器"};

enum class PowerActionOutcome {
    NoSuchAction,  // the text names no action: nothing was asked of the system
    Accepted,
    Refused,  // silently: the program carries on as it was
};

// Carries out the action whose item text is itemText, compared exactly and
// byte for byte (as a text that ends at its first zero byte) with
// kPowerActionTexts in their order:
//   "关机" ShutDownSystem(1)   "重启" ShutDownSystem(2)   "注销" ShutDownSystem(3)
//   "强制关机" ShutDownSystem(1, force)   "关闭显示器" the display-off request.
// Any other text, the empty one too, is NoSuchAction.
PowerActionOutcome DispatchPowerAction(platform::Power& power, std::string_view itemText,
                                       bool interactive);

}  // namespace velmora::schedule
