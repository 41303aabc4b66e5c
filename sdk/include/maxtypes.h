#pragma once
// The host's basic types: time, class identities, file results.

#include "WindowsDefines.h"
#include "coreexp.h"
#include "strbasic.h"

typedef unsigned long ulong;
typedef unsigned char uchar;
typedef uchar UBYTE;
typedef unsigned short UWORD;

/// Host time in ticks.
typedef int TimeValue;
#define TIME_TICKSPERSEC 4800
#define TIME_PosInfinity TimeValue(0x7fffffff)
#define TIME_NegInfinity TimeValue(0x80000000)

/// A super class: what kind of object a class makes (a texture map, a parameter block, ...).
typedef ULONG SClass_ID;

/// A block of a class's parameters and a parameter within it.
typedef short BlockID;
typedef short ParamID;
typedef short MapID;

/// The two words that name a plug-in class.
class Class_ID {
public:
    constexpr Class_ID() = default;
    constexpr Class_ID(const Class_ID& cid) = default;
    constexpr Class_ID(ULONG aa, ULONG bb) : a(aa), b(bb) {}
    constexpr ULONG PartA() const { return a; }
    constexpr ULONG PartB() const { return b; }
    constexpr void SetPartA(ULONG aa) { a = aa; }
    constexpr void SetPartB(ULONG bb) { b = bb; }
    constexpr bool operator==(const Class_ID& cid) const { return a == cid.a && b == cid.b; }
    constexpr bool operator!=(const Class_ID& cid) const { return !(*this == cid); }
    constexpr Class_ID& operator=(const Class_ID& cid) = default;
    constexpr bool operator<(const Class_ID& rhs) const {
        return a < rhs.a || (a == rhs.a && b < rhs.b);
    }

private:
    ULONG a = 0xFFFFFFFF;
    ULONG b = 0xFFFFFFFF;
};

/// Names one of the host's function-published interfaces.
class Interface_ID {
public:
    constexpr Interface_ID() = default;
    constexpr Interface_ID(ULONG aa, ULONG bb) : a(aa), b(bb) {}
    constexpr ULONG PartA() const { return a; }
    constexpr ULONG PartB() const { return b; }
    constexpr bool operator==(const Interface_ID& id) const { return a == id.a && b == id.b; }
    constexpr bool operator!=(const Interface_ID& id) const { return !(*this == id); }

private:
    ULONG a = 0xFFFFFFFF;
    ULONG b = 0xFFFFFFFF;
};

/// Scene file results.
enum IOResult : int { IO_OK = 0, IO_END = 1, IO_ERROR = 2, IO_INTERRUPT = 3 };
