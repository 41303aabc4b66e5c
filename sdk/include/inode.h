#pragma once
// Nodes of the host's scene.

#include "interval.h"
#include "matrix3.h"

/// A node: a stable handle, a name and a transform that may be animated.
class CoreExport INode {
public:
    virtual ~INode();
    /// Unique within the scene for the node's lifetime; never 0.
    virtual ULONG GetHandle() = 0;
    virtual const MCHAR* GetName() = 0;
    /// The node's world transform at t; `valid` is narrowed to the interval it holds for.
    virtual Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) = 0;
    /// Sets the world transform at t (a key when animate mode is on).
    virtual void SetNodeTM(TimeValue t, Matrix3& tm) = 0;
};
