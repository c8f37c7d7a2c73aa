// The DOS date and time of a package entry (local time, two-second steps), packed in 32 bits: year - 1980 in
// bits 25-31, month 21-24, day 16-20, hour 11-15, minute 5-10, seconds / 2 in 0-4. Portable.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>

namespace qs {

struct DosDateTime {
    unsigned year, month, day, hour, minute, second;
};

constexpr DosDateTime SplitDosTime(uint32_t d) {
    return {(d >> 25) + 1980, (d >> 21) & 15, (d >> 16) & 31, (d >> 11) & 31, (d >> 5) & 63, (d & 31) * 2};
}

// Seconds are rounded down to even; year 1980..2107 is the caller's to ensure.
constexpr uint32_t JoinDosTime(const DosDateTime& t) {
    return uint32_t(t.year - 1980) << 25 | uint32_t(t.month) << 21 | uint32_t(t.day) << 16 | uint32_t(t.hour) << 11 |
           uint32_t(t.minute) << 5 | uint32_t(t.second / 2);
}

constexpr uint32_t kFirstDosTime = JoinDosTime({1980, 1, 1, 0, 0, 0});
constexpr uint32_t kLastDosTime = JoinDosTime({2107, 12, 31, 23, 59, 58});

// The DOS date and time (local) of a time; times before 1980 give kFirstDosTime, after 2107 kLastDosTime.
uint32_t DosTimeFromTime(std::time_t t);
// The local time a DOS date and time stands for (mktime's -1 when it cannot tell).
std::time_t TimeFromDosTime(uint32_t dosTime);
// "YYYY-MM-DD hh:mm:ss".
std::string DosTimeText(uint32_t dosTime);

}  // namespace qs
