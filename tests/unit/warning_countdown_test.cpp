#include "schedule/warning_countdown.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace velmora::schedule {
namespace {

constexpr int kHeight = 85;
constexpr int kScreenBottom = 1080;
constexpr int kRestTop = 956;  // 124 px above the bottom: 31 steps of 4

// A window as the timeline sees it: its top edge, its alpha and its seconds
// label, changed by every step the timeline hands out. Time is the sum of the
// waits; nothing here waits for real.
struct Window {
    explicit Window(const std::string& lead, int height = kHeight)
        : countdown(lead, height), seconds(lead) {}

    WarningStep apply(const WarningStep& step) {
        if (step.top) {
            top = *step.top;
        }
        if (step.alpha) {
            alpha = *step.alpha;
        }
        if (step.secondsText) {
            seconds = *step.secondsText;
            labels.push_back(seconds);
        }
        ended = ended || step.end;
        elapsedMs += step.waitMs;
        return step;
    }
    WarningStep next() { return apply(countdown.next(top)); }
    std::optional<WarningStep> click(int height = kHeight) {
        const auto step = countdown.closeClicked(top, height);
        if (step) {
            apply(*step);
        }
        return step;
    }
    void slideIn() {
        for (int i = 0; i < countdown.slideInSteps(); ++i) {
            next();
        }
    }
    // Runs every remaining step up to and including the end.
    void runToEnd() {
        for (int guard = 0; !ended; ++guard) {
            ASSERT_LT(guard, 100'000) << "the timeline never ends";
            next();
        }
    }

    WarningCountdown countdown;
    int top = kScreenBottom;
    std::optional<int> alpha;  // opaque until first set
    std::string seconds;
    std::vector<std::string> labels;  // every text written into the seconds label
    bool ended = false;
    long elapsedMs = 0;
};

std::vector<std::string> Numbers(int from, int to) {
    std::vector<std::string> texts;
    for (int n = from; n >= to; --n) {
        texts.push_back(std::to_string(n));
    }
    return texts;
}

TEST(PlaceWarningWindow, PutsTheWindowJustBelowTheBottomRightCorner) {
    const struct {
        int screenWidth, screenHeight, windowWidth;
        int left, top;
    } kCases[] = {
        {1920, 1080, 239, 1681, 1080},
        {1366, 768, 239, 1127, 768},
        {800, 600, 239, 561, 600},
        {200, 100, 239, -39, 100},  // a window wider than the screen sticks out left
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.screenWidth << "x" << c.screenHeight);
        const WarningPlace place = PlaceWarningWindow(c.screenWidth, c.screenHeight, c.windowWidth);
        EXPECT_EQ(place.left, c.left);
        EXPECT_EQ(place.top, c.top);
    }
}

TEST(WindowAlpha, ValuesOutsideTheRangeCountAsOpaque) {
    const struct {
        std::int64_t value;
        int alpha;
    } kCases[] = {
        {0, 0},
        {3, 3},
        {163, 163},
        {254, 254},
        {255, 255},
        {256, 255},
        {-1, 255},
        {-255, 255},
        {std::numeric_limits<std::int64_t>::min(), 255},
        {std::numeric_limits<std::int64_t>::max(), 255},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(WindowAlpha(c.value), c.alpha);
    }
}

TEST(WarningSlideIn, RisesFourPixelsAStepWhileFadingIn) {
    Window window("30");
    ASSERT_EQ(window.countdown.slideInSteps(), 31);
    for (int i = 1; i <= 31; ++i) {
        SCOPED_TRACE(i);
        const WarningStep step = window.next();
        EXPECT_EQ(step.top, kScreenBottom - 4 * i);
        EXPECT_EQ(step.alpha, 160 + 3 * i);
        EXPECT_EQ(step.waitMs, 50);
        EXPECT_FALSE(step.secondsText);
        EXPECT_FALSE(step.end);
        EXPECT_EQ(window.seconds, "30");  // the lead shows while it slides in
    }
    // At rest 39 px above the bottom edge (an 85 px window), never fully opaque.
    EXPECT_EQ(window.top, kRestTop);
    EXPECT_EQ(window.alpha, 253);
    EXPECT_EQ(window.elapsedMs, 31 * 50);
}

TEST(WarningSlideIn, MovesOnFromWhereTheWindowStands) {
    // Something else (a window manager keeping it on the screen) moved the
    // window between two steps: the next step starts from there.
    Window window("30");
    window.next();
    window.top = 700;
    EXPECT_EQ(window.next().top, 696);
}

TEST(WarningSlideIn, TakesAStepForEveryFourPixelsOfHeightPlusForty) {
    const struct {
        int height;
        int steps;
    } kCases[] = {
        {85, 31},                      // 125 / 4 = 31.25
        {84, 31},                      // 31
        {83, 30},                      // 30.75
        {0, 10},  {-40, 0}, {-45, 0},  // -1.25: no steps at all
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.height);
        Window window("0", c.height);
        EXPECT_EQ(window.countdown.slideInSteps(), c.steps);
        window.runToEnd();
        EXPECT_EQ(window.elapsedMs, 50L * c.steps);
    }
}

TEST(WarningCountdown, LowersTheLabelOnceARoundFromWhatItShows) {
    const struct {
        const char* lead;
        std::vector<std::string> labels;  // written after the slide-in, in order
    } kCases[] = {
        {"30", Numbers(29, 0)},
        {"1", {"0"}},
        {"2.5", {"1.5", "0.5"}},
        {"1.5", {"0.5"}},
        {"0.9", {}},               // N = 0
        {"３０", Numbers(29, 0)},  // full-width digits read as 30
        {" 3", {"2", "1", "0"}},
        {"12abc", Numbers(11, 0)},
        {"1e1", Numbers(9, 0)},
        {"0", {}},
        {"", {}},
        {"abc", {}},
        {"-5", {}},
        {"-0.5", {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.lead);
        Window window(c.lead);
        window.slideIn();
        ASSERT_TRUE(window.labels.empty());
        ASSERT_EQ(window.seconds, c.lead);

        // Each round writes the label, then waits a second; the step after
        // the last round ends the window at once.
        for (const std::string& expected : c.labels) {
            const WarningStep step = window.next();
            EXPECT_EQ(step, (WarningStep{.secondsText = expected, .waitMs = 1000}));
        }
        EXPECT_EQ(window.next(), WarningStep{.end = true});
        EXPECT_EQ(window.labels, c.labels);
        EXPECT_EQ(window.top, kRestTop);  // no round moves the window
        // Sliding in, then one second a round.
        EXPECT_EQ(window.elapsedMs, 31 * 50 + 1000L * static_cast<long>(c.labels.size()));
    }
}

TEST(WarningCountdown, StaysEndedOnceEnded) {
    Window window("1");
    window.runToEnd();
    EXPECT_TRUE(window.countdown.ended());
    EXPECT_EQ(window.countdown.next(kRestTop), WarningStep{.end = true});
    EXPECT_EQ(window.countdown.closeClicked(kRestTop, kHeight), std::nullopt);
    EXPECT_EQ(window.labels, std::vector<std::string>{"0"});
}

TEST(WarningSlideOut, SinksFourPixelsAStepAndTurnsOpaquePastZero) {
    Window window("30");
    window.slideIn();
    window.next();  // first round: 29
    ASSERT_EQ(window.seconds, "29");

    const struct {
        int step;
        int alpha;
    } kAlphas[] = {{1, 249}, {2, 243}, {41, 9}, {42, 3}, {43, 255}, {44, 255}, {85, 255}};

    std::vector<int> alphas;
    const auto first = window.click();
    ASSERT_TRUE(first);
    alphas.push_back(*first->alpha);
    EXPECT_EQ(first->top, kRestTop + 4);
    EXPECT_EQ(first->waitMs, 50);
    EXPECT_TRUE(window.countdown.slidingOut());
    for (int i = 2; i <= kHeight; ++i) {
        SCOPED_TRACE(i);
        const WarningStep step = window.next();
        EXPECT_EQ(step.top, kRestTop + 4 * i);
        EXPECT_EQ(step.waitMs, 50);
        EXPECT_FALSE(step.secondsText);  // the count holds while it slides
        EXPECT_FALSE(step.end);
        alphas.push_back(*step.alpha);
    }
    for (const auto& a : kAlphas) {
        SCOPED_TRACE(a.step);
        EXPECT_EQ(alphas[a.step - 1], a.alpha);
    }
    // 340 px down in 85 steps: far below the screen's bottom edge.
    EXPECT_EQ(window.top, kRestTop + 340);
    EXPECT_EQ(window.seconds, "29");

    // The round it interrupted is long over: the count goes on at once from
    // where it stood and still runs every round before it ends.
    EXPECT_EQ(window.next(), (WarningStep{.secondsText = "28", .waitMs = 1000}));
    EXPECT_FALSE(window.countdown.slidingOut());
    window.runToEnd();
    EXPECT_EQ(window.labels, Numbers(29, 0));
    EXPECT_EQ(window.top, kRestTop + 340);  // it stays out of sight
}

TEST(WarningSlideOut, DuringTheSlideInRunsFirstThenTheSlideInGoesOn) {
    Window window("2");
    for (int i = 0; i < 10; ++i) {
        window.next();
    }
    ASSERT_EQ(window.top, kScreenBottom - 40);
    ASSERT_EQ(window.alpha, 190);

    ASSERT_TRUE(window.click());
    for (int i = 2; i <= kHeight; ++i) {
        window.next();
    }
    ASSERT_EQ(window.top, kScreenBottom - 40 + 340);

    // Step 11 of the slide-in, from far below the screen.
    EXPECT_EQ(window.next(), (WarningStep{.top = kScreenBottom + 296, .alpha = 193, .waitMs = 50}));
    for (int i = 12; i <= 31; ++i) {
        window.next();
    }
    // 21 steps up from 1380: it comes to rest out of sight and counts unseen.
    EXPECT_EQ(window.top, kScreenBottom + 216);
    EXPECT_EQ(window.alpha, 253);
    window.runToEnd();
    EXPECT_EQ(window.labels, (std::vector<std::string>{"1", "0"}));
}

TEST(WarningSlideOut, AClickWhileSlidingOutStartsAnotherThatRunsFirst) {
    Window window("5");
    window.slideIn();
    ASSERT_TRUE(window.click());
    for (int i = 2; i <= 5; ++i) {
        window.next();
    }
    ASSERT_EQ(window.alpha, 225);

    // The second slide-out fades from 249 again and runs all its steps.
    const auto inner = window.click();
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->alpha, 249);
    for (int i = 2; i <= kHeight; ++i) {
        window.next();
    }
    // Then the first goes on with its sixth step.
    EXPECT_EQ(window.next().alpha, 255 - 6 * 6);
    EXPECT_EQ(window.top, kRestTop + 4 * (5 + kHeight + 1));
    for (int i = 7; i <= kHeight; ++i) {
        window.next();
    }
    EXPECT_EQ(window.next().secondsText, "4");
}

TEST(WarningSlideOut, AWindowWithoutHeightDoesNotSlide) {
    // The click changes nothing and the wait in progress goes on as it was.
    Window window("3");
    window.slideIn();
    window.next();
    EXPECT_EQ(window.click(0), std::nullopt);
    EXPECT_EQ(window.click(-5), std::nullopt);
    EXPECT_FALSE(window.countdown.slidingOut());
    EXPECT_EQ(window.next().secondsText, "1");
}

}  // namespace
}  // namespace velmora::schedule
