#pragma once
// A closed range of host time. The empty interval is NEVER. Inline here: shading samples build
// and narrow intervals on every evaluation.

#include "maxtypes.h"

class Interval {
public:
    /// A reversed pair gives NEVER.
    Interval(TimeValue s, TimeValue e) : start(s), end(e) {
        if (s > e) {
            SetEmpty();
        }
    }
    Interval() { SetEmpty(); }
    int operator==(const Interval& i) const { return start == i.start && end == i.end; }
    bool operator!=(const Interval& i) const { return !(*this == i); }
    int InInterval(const TimeValue t) const { return !Empty() && t >= start && t <= end ? 1 : 0; }
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
    Interval operator&(const Interval i) const {
        if (Empty() || i.Empty()) {
            return Interval();
        }
        TimeValue s = start > i.start ? start : i.start;
        TimeValue e = end < i.end ? end : i.end;
        return s <= e ? Interval(s, e) : Interval();
    }
    Interval& operator&=(const Interval i) { return *this = *this & i; }

private:
    TimeValue start;
    TimeValue end;
};

#define FOREVER Interval(TIME_NegInfinity, TIME_PosInfinity)
#define NEVER Interval(TIME_NegInfinity, TIME_NegInfinity)
