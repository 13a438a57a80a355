#include "platform/windows/WindowsClock.h"

#include <windows.h>

namespace platform {

namespace {

DateTime fromSystemTime(const SYSTEMTIME& time)
{
    DateTime t;
    t.year = time.wYear;
    t.month = time.wMonth;
    t.day = time.wDay;
    t.hour = time.wHour;
    t.minute = time.wMinute;
    t.second = time.wSecond;
    t.millisecond = time.wMilliseconds;
    return t;
}

} // namespace

DateTime WindowsClock::localNow() const
{
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return fromSystemTime(time);
}

DateTime WindowsClock::utcNow() const
{
    SYSTEMTIME time{};
    GetSystemTime(&time);
    return fromSystemTime(time);
}

} // namespace platform
