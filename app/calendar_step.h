#pragma once

namespace velmora::app {

class MainWindow;

// Writes the lunar date and the weekday of the day the program started into
// their labels. Runs once, in the creation sequence: a program left running past
// midnight keeps the start day's labels.
void ShowCalendarLabels(MainWindow& window);

}  // namespace velmora::app
