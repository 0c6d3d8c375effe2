// The wake-ups' cheaper forms, through the optional functions as a seam that
// records the calls (Wine need not honour them): the clock's timer made
// coalescable with a tolerance that keeps the second, the plain timer where
// Windows has none, and efficiency mode asked for once.
#include "EventSources.h"
#include "OptionalFunctions.h"
#include "StripModel.h"
#include "TestSupport.h"

#include <vector>

namespace {
struct TimerCall {
    HWND hwnd;
    UINT_PTR id;
    UINT due;
    ULONG tolerance;
};
std::vector<TimerCall> g_timers;
std::vector<ULONG> g_throttling; // version, control mask, state mask of each call
int g_information_class = -1;
DWORD g_information_size = 0;

UINT_PTR WINAPI record_timer(HWND hwnd, UINT_PTR id, UINT due, TIMERPROC, ULONG tolerance)
{
    g_timers.push_back(TimerCall{hwnd, id, due, tolerance});
    return SetTimer(hwnd, id, due, nullptr);
}

BOOL WINAPI record_information(HANDLE process, int information_class, LPVOID data, DWORD size)
{
    g_information_class = information_class;
    g_information_size = size;
    const auto* state = static_cast<const ULONG*>(data);
    g_throttling.assign(state, state + 3);
    return process == GetCurrentProcess() ? TRUE : FALSE;
}

class Wakes : public ::testing::Test {
protected:
    HWND hwnd = nullptr;
    OptionalFunctions saved;
    void SetUp() override
    {
        optional_functions.init();
        saved = optional_functions;
        hwnd = CreateWindowExA(0, "STATIC", "wakes", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        g_timers.clear();
        g_throttling.clear();
    }
    void TearDown() override
    {
        KillTimer(hwnd, EventSources::kClockTimer);
        DestroyWindow(hwnd);
        optional_functions = saved;
    }
    // Whether the clock's WM_TIMER arrives within the time.
    bool clock_fires(DWORD ms) const
    {
        const DWORD end = GetTickCount() + ms;
        MSG msg;
        while (static_cast<LONG>(end - GetTickCount()) > 0) {
            if (PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE) && msg.wParam == EventSources::kClockTimer) {
                return true;
            }
            Sleep(5);
        }
        return false;
    }
};
}

TEST_F(Wakes, TheClockTimerIsCoalescableWithTheToleranceOfItsWake)
{
    optional_functions.SetCoalescableTimer = record_timer;
    EventSources events;
    events.target = hwnd;
    // Due within a second (the next second), then far off (a minute's turn).
    ASSERT_EQ(events.arm_clock(40), 0);
    ASSERT_EQ(events.arm_clock(56751), 0);
    ASSERT_EQ(events.arm_clock(0), 0);
    ASSERT_EQ(g_timers.size(), 3u);
    const UINT due[] = {40, 56751, 1};
    const ULONG tolerance[] = {kSecondWakeToleranceMs, kMinuteWakeToleranceMs, kSecondWakeToleranceMs};
    for (std::size_t i = 0; i < g_timers.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g_timers[i].hwnd, hwnd);
        EXPECT_EQ(g_timers[i].id, EventSources::kClockTimer);
        EXPECT_EQ(g_timers[i].due, due[i]);
        // Never 0: that would ask for Windows' own default coalescing.
        EXPECT_EQ(g_timers[i].tolerance, tolerance[i]);
    }
    EXPECT_TRUE(clock_fires(2000));
}

TEST_F(Wakes, WithoutCoalescableTimersThePlainTimerStillFires)
{
    optional_functions.SetCoalescableTimer = nullptr;
    EventSources events;
    events.target = hwnd;
    ASSERT_EQ(events.arm_clock(30), 0);
    EXPECT_TRUE(g_timers.empty());
    EXPECT_TRUE(clock_fires(2000));
}

TEST_F(Wakes, WindowsOwnCoalescableTimerFiresWhereItHasOne)
{
    if (saved.SetCoalescableTimer == nullptr) {
        GTEST_SKIP() << "this Windows has no SetCoalescableTimer";
    }
    EventSources events;
    events.target = hwnd;
    ASSERT_EQ(events.arm_clock(30), 0);
    EXPECT_TRUE(clock_fires(2000));
}

TEST_F(Wakes, EfficiencyModeIsAskedForWithExecutionSpeedThrottledAndSkippedWhereMissing)
{
    optional_functions.SetProcessInformation = record_information;
    EXPECT_EQ(EventSources::ask_for_efficiency_mode(), 0);
    EXPECT_EQ(g_information_class, 4) << "ProcessPowerThrottling";
    EXPECT_EQ(g_information_size, 3 * sizeof(ULONG));
    EXPECT_EQ(g_throttling, (std::vector<ULONG>{1, 1, 1})) << "version 1, execution speed controlled and on";

    g_throttling.clear();
    optional_functions.SetProcessInformation = nullptr;
    EXPECT_EQ(EventSources::ask_for_efficiency_mode(), -1);
    EXPECT_TRUE(g_throttling.empty());
}
