#pragma once
// A closed range of host time. The empty interval is NEVER.

#include "maxtypes.h"

class Interval {
public:
    CoreExport Interval(TimeValue s, TimeValue e);
    Interval() { SetEmpty(); }
    int operator==(const Interval& i) const { return start == i.start && end == i.end; }
    bool operator!=(const Interval& i) const { return !(*this == i); }
    CoreExport int InInterval(const TimeValue t) const;
    int Empty() const { return start == TIME_NegInfinity && end == TIME_NegInfinity; }
    bool IsInfinite() const { return start == TIME_NegInfinity && end == TIME_PosInfinity; }
    void Set(TimeValue s, TimeValue e) {
        start = s;
        end = e;
    }
    void SetStart(TimeValue s) { start = s; }
    void SetEnd(TimeValue e) { end = e; }
    void SetEmpty() { start = end = TIME_NegInfinity; }
    void SetInfinite() {
        start = TIME_NegInfinity;
        end = TIME_PosInfinity;
    }
    void SetInstant(const TimeValue t) { start = end = t; }
    TimeValue Start() const { return start; }
    TimeValue End() const { return end; }
    /// The intersection; NEVER when the two do not overlap.
    CoreExport Interval operator&(const Interval i) const;
    Interval& operator&=(const Interval i) { return *this = *this & i; }

private:
    TimeValue start;
    TimeValue end;
};

#define FOREVER Interval(TIME_NegInfinity, TIME_PosInfinity)
#define NEVER Interval(TIME_NegInfinity, TIME_NegInfinity)
