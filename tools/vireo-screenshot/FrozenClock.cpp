// The log stamps every row with the time of day, so pictures of the window differ from run to
// run unless the wall clock stands still. The renderer defines the C library's wall-clock
// calls itself; Qt and the standard library resolve them here first. Only the wall clock is
// frozen: the monotonic clocks that drive timers and waits pass through to the real ones.
#include <dlfcn.h>
#include <sys/time.h>
#include <time.h>

namespace {

// 2099-01-01 12:34:56 UTC; the renderer runs with TZ=UTC, so the log shows 12:34:56. Later
// than any real moment, so that files the run creates never seem to come from the future.
constexpr time_t kFrozenSeconds = 4070954096;

using ClockGetTime = int (*)(clockid_t, struct timespec *);

bool isWallClock(clockid_t clock)
{
    return clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE;
}

} // namespace

extern "C" int clock_gettime(clockid_t clock, struct timespec *ts) noexcept
{
    if (isWallClock(clock)) {
        ts->tv_sec = kFrozenSeconds;
        ts->tv_nsec = 0;
        return 0;
    }
    static const auto real = reinterpret_cast<ClockGetTime>(dlsym(RTLD_NEXT, "clock_gettime"));
    return real(clock, ts);
}

extern "C" int gettimeofday(struct timeval *tv, void *) noexcept
{
    tv->tv_sec = kFrozenSeconds;
    tv->tv_usec = 0;
    return 0;
}

extern "C" time_t time(time_t *result) noexcept
{
    if (result != nullptr)
        *result = kFrozenSeconds;
    return kFrozenSeconds;
}
