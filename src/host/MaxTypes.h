#pragma once
// Value types and constants of the host application, shaped as the host's SDK defines them.
// Plug-in code sees the host only through src/host.

#include "host/HostApi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

using TimeValue = int32_t;  ///< host time in ticks (4800 per second)
// 32-bit words spelled as the Win32 headers spell them, so both can be included together.
#if defined(_WIN32)
typedef unsigned long ULONG;
typedef unsigned long DWORD;
#else
typedef uint32_t ULONG;
typedef uint32_t DWORD;
#endif
typedef unsigned short USHORT;
typedef unsigned int UINT;
typedef int BOOL;
// Pointer-sized message words and results, spelled as the Win32 headers spell them on Win64.
#if defined(_WIN32)
typedef unsigned long long WPARAM;
typedef long long LPARAM;
typedef long long INT_PTR;
typedef long long LRESULT;
struct tagPOINT;
typedef tagPOINT POINT;
#else
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t INT_PTR;
typedef intptr_t LRESULT;
struct tagPOINT {
    int32_t x, y;
};
typedef tagPOINT POINT;
#endif
/// A colour as 0x00BBGGRR (red in the low byte).
typedef DWORD COLORREF;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

typedef wchar_t MCHAR;
#define _M(x) L##x
using MSTR = std::wstring;
using WStr = std::wstring;

constexpr TimeValue TIME_NegInfinity = INT32_MIN;
constexpr TimeValue TIME_PosInfinity = INT32_MAX;
constexpr int TICKS_PER_FRAME = 160;

/// A closed time range; an empty range (start > end) is NEVER.
class Interval {
public:
    constexpr Interval() : start(TIME_PosInfinity), end(TIME_NegInfinity) {}
    constexpr Interval(TimeValue s, TimeValue e) : start(s), end(e) {}
    constexpr TimeValue Start() const { return start; }
    constexpr TimeValue End() const { return end; }
    constexpr bool Empty() const { return start > end; }
    constexpr bool InInterval(TimeValue t) const { return !Empty() && t >= start && t <= end; }
    void SetInfinite() { *this = Interval(TIME_NegInfinity, TIME_PosInfinity); }
    void SetEmpty() { *this = Interval(); }
    void SetInstant(TimeValue t) { *this = Interval(t, t); }
    /// Intersection, as the host's operator&=.
    Interval& operator&=(const Interval& other) {
        start = std::max(start, other.start);
        end = std::min(end, other.end);
        if (start > end) {
            SetEmpty();
        }
        return *this;
    }
    constexpr bool operator==(const Interval& o) const {
        return (Empty() && o.Empty()) || (start == o.start && end == o.end);
    }

private:
    TimeValue start;
    TimeValue end;
};

inline constexpr Interval FOREVER{TIME_NegInfinity, TIME_PosInfinity};
inline constexpr Interval NEVER{};

struct Point3 {
    float x = 0, y = 0, z = 0;
    constexpr Point3() = default;
    constexpr Point3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    float Length() const { return std::sqrt(x * x + y * y + z * z); }
    constexpr Point3 operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr Point3 operator+(const Point3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Point3 operator-(const Point3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr bool operator==(const Point3&) const = default;
};

struct Point4 {
    float x = 0, y = 0, z = 0, w = 0;
    constexpr Point4() = default;
    constexpr Point4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    constexpr bool operator==(const Point4&) const = default;
};

/// Colour with alpha, four 32-bit floats.
struct AColor {
    float r = 0, g = 0, b = 0, a = 0;
    constexpr AColor() = default;
    constexpr AColor(float r_, float g_, float b_, float a_ = 1.0f) : r(r_), g(g_), b(b_), a(a_) {}
    constexpr bool operator==(const AColor&) const = default;
};

/// Four rows of three floats (the last row is the translation) and a flags word.
class Matrix3 {
public:
    Matrix3() { IdentityMatrix(); }
    void IdentityMatrix() {
        rows[0] = {1, 0, 0};
        rows[1] = {0, 1, 0};
        rows[2] = {0, 0, 1};
        rows[3] = {0, 0, 0};
        flags = 0;
    }
    Point3 GetRow(int i) const { return rows[i]; }
    void SetRow(int i, const Point3& p) { rows[i] = p; }
    /// Transforms a direction (no translation): row vector times the 3x3 part.
    Point3 VectorTransform(const Point3& v) const {
        return rows[0] * v.x + rows[1] * v.y + rows[2] * v.z;
    }
    Point3 PointTransform(const Point3& v) const { return VectorTransform(v) + rows[3]; }
    DWORD GetFlags() const { return flags; }
    void SetFlags(DWORD f) { flags = f; }
    bool operator==(const Matrix3&) const = default;

private:
    Point3 rows[4];
    DWORD flags = 0;
};

class Class_ID {
public:
    constexpr Class_ID() = default;
    constexpr Class_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
    constexpr ULONG PartA() const { return a_; }
    constexpr ULONG PartB() const { return b_; }
    constexpr bool operator==(const Class_ID&) const = default;

private:
    ULONG a_ = 0xFFFFFFFF;
    ULONG b_ = 0xFFFFFFFF;
};

using SClass_ID = ULONG;
constexpr SClass_ID TEXMAP_CLASS_ID = 0xC10;
constexpr SClass_ID PARAMETER_BLOCK2_CLASS_ID = 0x82;
constexpr SClass_ID REF_TARGET_CLASS_ID = 0x900;

// References and notification.
using PartID = ULONG;
using RefMessage = unsigned int;
enum RefResult { REF_FAIL = 0, REF_SUCCEED = 1, REF_DONTCARE = 2, REF_STOP = 3 };
constexpr PartID PART_ALL = 0x800037FF;
constexpr RefMessage REFMSG_TARGET_DELETED = 0x20;
constexpr RefMessage REFMSG_CHANGE = 0x50;
/// Sent after a change that the scene's dependents must see even when their values did not move.
constexpr RefMessage REFMSG_ZENITHRA_CHANGED = 0x102;
constexpr SClass_ID NOTIFY_ALL = 0xFFFFFFF0;

// Scene file I/O results.
enum IOResult { IO_OK = 0, IO_END = 1, IO_ERROR = 2 };

// Texture requirements.
constexpr ULONG MTLREQ_UV = 0x10;
constexpr ULONG MTLREQ_VIEW_DEP = 0x8000;
constexpr int U_WRAP = 1;
constexpr int V_WRAP = 2;

/// The material editor's environment-map category.
inline const wchar_t* const TEXMAP_CAT_ENV = L"Environment";

// Window and module handles, declared as the Win32 headers declare them (STRICT).
struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
/// A dialog procedure and a window procedure, as the Win32 headers declare them.
typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);
typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
