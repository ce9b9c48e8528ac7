#pragma once

#include <cstdint>
#include <string>

#include "schedule/date_time.h"

namespace velmora::app {

class MainWindow;

// The values of the main window's controls, found by their names. A control
// that is missing reads as empty, unticked, unselected (-1) or kMinDateTime,
// so a handler never has to guard each look-up.
std::string BoxText(const MainWindow& window, const char* name);
bool IsTicked(const MainWindow& window, const char* name);  // check and radio buttons
std::int32_t ComboIndex(const MainWindow& window, const char* name);
// The date box holds a day; its value is that day at 00:00:00.
schedule::DateTime DateBoxValue(const MainWindow& window);

}  // namespace velmora::app
