#include "platform/linux/linux_clock.h"

#include <ctime>

namespace velmora::platform {

LocalMillis LinuxClock::localNow() const {
    using namespace std::chrono;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    // The local-time offset is taken for the whole second the reading falls in.
    const milliseconds subSecond{ts.tv_nsec / 1'000'000};
    tm local{};
    const time_t seconds = ts.tv_sec;
    if (localtime_r(&seconds, &local) == nullptr) {
        // No usable zone information: show UTC rather than stopping the clock.
        return LocalMillis{std::chrono::seconds{ts.tv_sec}} + subSecond;
    }
    const local_days day = local_days{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
    return LocalMillis{day.time_since_epoch()} + hours{local.tm_hour} + minutes{local.tm_min} +
           std::chrono::seconds{local.tm_sec} + subSecond;
}

std::chrono::steady_clock::time_point LinuxClock::steadyNow() const {
    return std::chrono::steady_clock::now();
}

std::uint64_t LinuxClock::msSinceBoot() const {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
           static_cast<std::uint64_t>(ts.tv_nsec) / 1'000'000u;
}

}  // namespace velmora::platform
