#pragma once

#include "app/services.h"
#include "schedule/power_action.h"

namespace velmora::app {

class MainWindow;

// The text of the action combo box 组合框1's selected item (empty when no item
// is selected) decides, by schedule::DispatchPowerAction, which request goes to
// Services::power. When it names no action, the warning box "请选择电脑执行方式！"
// (title "警告框！", style 48) comes up, after which the focus moves to 组合框1.
// Nothing else changes: no timer is started or stopped, nothing is saved, and a
// refused request is not reported here.
//
// Returns at once: the warning box is shown from the event loop right after,
// so a watcher's tick never waits inside a message box. The outcome lets the
// watchers report a request the system refused.
//
// interactive: true when the user has just asked for the action (the
// execute-now button), false from a timer.
schedule::PowerActionOutcome RunPowerAction(MainWindow& window, const Services& services,
                                            bool interactive);

// 按钮保存立即执行 ("立即执行"): RunPowerAction at once, interactive, whatever is armed.
void ConnectExecuteNowButton(MainWindow& window, const Services& services);

}  // namespace velmora::app
