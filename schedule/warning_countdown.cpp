#include "schedule/warning_countdown.h"

#include <algorithm>
#include <utility>

#include "schedule/date_time.h"
#include "schedule/texts.h"

namespace velmora::schedule {

WarningPlace PlaceWarningWindow(int screenWidth, int screenHeight, int windowWidth) {
    return {screenWidth - windowWidth, screenHeight};
}

int WindowAlpha(std::int64_t value) {
    return value >= 0 && value <= 255 ? static_cast<int>(value) : 255;
}

WarningCountdown::WarningCountdown(std::string leadText, int windowHeight)
    : m_secondsText(std::move(leadText)),
      // Counted in double, as every position of the window is: (85 + 40) / 4 is
      // 31.25, so 31 steps.
      m_slideInSteps(std::max(0, TruncToInt((windowHeight + 40.0) / kWarningSlidePixels))) {
}

WarningStep WarningCountdown::next(int currentTop) {
    if (m_ended) {
        return {.end = true};
    }
    while (!m_slideOuts.empty()) {
        SlideOut& out = m_slideOuts.back();
        if (out.done < out.steps) {
            ++out.done;
            const double alpha = 255.0 - kWarningFadeOutPerStep * static_cast<double>(out.done);
            return {.top = currentTop + kWarningSlidePixels,
                    .alpha = WindowAlpha(TruncToInt(alpha)),
                    .waitMs = kWarningSlideStepMs};
        }
        // Done: whatever it interrupted goes on now.
        m_slideOuts.pop_back();
    }
    if (m_slideInDone < m_slideInSteps) {
        ++m_slideInDone;
        const double alpha =
            kWarningFadeInBase + kWarningFadeInPerStep * static_cast<double>(m_slideInDone);
        return {.top = currentTop - kWarningSlidePixels,
                .alpha = WindowAlpha(TruncToInt(alpha)),
                .waitMs = kWarningSlideStepMs};
    }
    if (!m_rounds) {
        // The label is the count: read back from it, not from a number kept
        // aside, so what the user sees is what is counted.
        m_rounds = TruncToInt(TextToNumber(m_secondsText));
    }
    if (m_roundsDone < *m_rounds) {
        ++m_roundsDone;
        m_secondsText = DoubleToText(TextToNumber(m_secondsText) - 1);
        return {.secondsText = m_secondsText, .waitMs = kWarningRoundMs};
    }
    m_ended = true;
    return {.end = true};
}

std::optional<WarningStep> WarningCountdown::closeClicked(int currentTop, int currentHeight) {
    if (m_ended || currentHeight <= 0) {
        return std::nullopt;
    }
    m_slideOuts.push_back({currentHeight});
    return next(currentTop);
}

}  // namespace velmora::schedule
