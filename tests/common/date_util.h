// A date made of its fields, as the tests of dates, file names, report windows and labels
// build them.
#ifndef VYK_DATE_UTIL_H
#define VYK_DATE_UTIL_H

#include "vykdate.h"

namespace vyktest {

/// A date with the given fields; the day of the year and of the week stay missing.
inline Date make_date(int year, int month, int day, int hour, int min = 0, int sec = 0)
{
    Date d;
    DATE_init(&d);
    d.year = year;
    d.month = month;
    d.day = day;
    d.hour = hour;
    d.min = min;
    d.sec = sec;
    return d;
}

}  // namespace vyktest

#endif
