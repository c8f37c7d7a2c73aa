#include "base/DosTime.h"

#include <cstdio>

namespace qs {

uint32_t DosTimeFromTime(std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &t) != 0) return kFirstDosTime;
#else
    if (!localtime_r(&t, &tm)) return kFirstDosTime;
#endif
    const int year = tm.tm_year + 1900;
    if (year < 1980) return kFirstDosTime;
    if (year > 2107) return kLastDosTime;
    return JoinDosTime({unsigned(year), unsigned(tm.tm_mon + 1), unsigned(tm.tm_mday), unsigned(tm.tm_hour),
                        unsigned(tm.tm_min), unsigned(tm.tm_sec)});
}

std::time_t TimeFromDosTime(uint32_t dosTime) {
    const DosDateTime d = SplitDosTime(dosTime);
    std::tm tm{};
    tm.tm_year = int(d.year) - 1900;
    tm.tm_mon = int(d.month) - 1;
    tm.tm_mday = int(d.day);
    tm.tm_hour = int(d.hour);
    tm.tm_min = int(d.minute);
    tm.tm_sec = int(d.second);
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::string DosTimeText(uint32_t dosTime) {
    const DosDateTime d = SplitDosTime(dosTime);
    char s[40];
    std::snprintf(s, sizeof s, "%04u-%02u-%02u %02u:%02u:%02u", d.year, d.month, d.day, d.hour, d.minute, d.second);
    return s;
}

}  // namespace qs
