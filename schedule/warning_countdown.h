#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The life of the warning window as plain steps: where it starts, how it slides
// in, how its seconds label counts down, how the close button slides it out,
// and when it goes. The window applies each step and waits as the step says
// before asking for the next one, so nothing here waits or knows about widgets
// and a test runs a whole life by calling next() in a loop, without waiting.
namespace velmora::schedule {

inline constexpr int kWarningSlidePixels = 4;   // per slide step, up or down
inline constexpr int kWarningSlideStepMs = 50;  // between slide steps
inline constexpr int kWarningRoundMs = 1000;    // between countdown rounds
inline constexpr int kWarningFadeInBase = 160;  // slide-in alpha: base + 3 x step
inline constexpr int kWarningFadeInPerStep = 3;
inline constexpr int kWarningFadeOutPerStep = 6;  // slide-out alpha: 255 - 6 x step

// Where the window is put before it slides in: its top edge on the screen's
// bottom edge and its right edge on the screen's right edge, so it starts just
// out of sight. Sizes in pixels, the screen's top left corner at (0, 0); a 239 px
// wide window on a 1920 x 1080 screen goes to left 1681, top 1080.
struct WarningPlace {
    int left;
    int top;
};
WarningPlace PlaceWarningWindow(int screenWidth, int screenHeight, int windowWidth);

// A window alpha as the opacity call takes it: 0 (invisible) to 255 (opaque)
// as given; any value outside that range counts as 255, so a fade that runs
// past 0 turns the window fully opaque again.
int WindowAlpha(std::int64_t value);

// One step of the window's life: what changes now (each part only when set),
// then how long to wait before the next step.
struct WarningStep {
    std::optional<int> top = {};                  // the window's new top edge
    std::optional<int> alpha = {};                // its new alpha, 0 to 255
    std::optional<std::string> secondsText = {};  // the seconds label's new text
    bool end = false;                             // the count is over: the window goes now
    int waitMs = 0;

    friend bool operator==(const WarningStep&, const WarningStep&) = default;
};

// One window's timeline, in this order:
//  - slide in: TruncToInt((height + 40) / 4) steps (31 for 85 px), step i moving
//    the top 4 px up from where it stands and setting the alpha to
//    TruncToInt(160 + 3 x i) (163 ... 253), each followed by 50 ms;
//  - count down: N = TruncToInt(TextToNumber(lead)) rounds (none when N <= 0),
//    each writing DoubleToText(TextToNumber(label) - 1) into the seconds label
//    and then waiting 1000 ms: a lead of 30 shows 30 while sliding in, then 29
//    ... 0; a lead of 2.5 shows 2.5, 1.5, 0.5; full-width "３０" shows as typed,
//    then 29 ...;
//  - end.
//
// The close button slides the window out: as many steps as the window is high
// (85), step i moving it 4 px down and setting the alpha to
// WindowAlpha(TruncToInt(255 - 6 x i)) (249 ... 3, then 255 from step 43), each
// followed by 50 ms. The slide-in or countdown holds meanwhile and goes on with
// its next step as soon as the slide-out has run: the wait it was in has long
// passed by then. So the count pauses, it is not shortened, and the window ends
// only when every round has run. A click during a slide-out starts another one,
// which runs first.
class WarningCountdown {
public:
    // leadText: the warning-lead box's text as typed; windowHeight: the
    // window's height as the slide-in starts.
    WarningCountdown(std::string leadText, int windowHeight);

    // The seconds label's text as it stands: the lead text until the first round.
    const std::string& secondsText() const { return m_secondsText; }

    int slideInSteps() const { return m_slideInSteps; }
    bool slidingOut() const { return !m_slideOuts.empty(); }
    bool ended() const { return m_ended; }

    // The step due now. currentTop is the window's top edge as it stands, read
    // back from the window each time, so a step moves on from wherever something
    // else put the window. Once ended, every call returns the end again.
    WarningStep next(int currentTop);

    // The close button was clicked: starts a slide-out of currentHeight steps and
    // returns its first step, due at once. Nothing (the pending wait goes on as
    // it was) when the window is no higher than 0 or the count has ended.
    std::optional<WarningStep> closeClicked(int currentTop, int currentHeight);

private:
    struct SlideOut {
        int steps;
        int done = 0;
    };

    std::string m_secondsText;
    int m_slideInSteps;
    int m_slideInDone = 0;
    std::optional<std::int32_t> m_rounds;  // known once the countdown starts
    std::int32_t m_roundsDone = 0;
    bool m_ended = false;
    std::vector<SlideOut> m_slideOuts;  // the innermost last
};

}  // namespace velmora::schedule
