#pragma once
// Scene nodes and the viewport: what a saved look records of the camera it was seen through.

#include "host/MaxTypes.h"

/// A node of the host's scene: a stable handle, a name and a transform that may be animated.
class HOST_API INode {
public:
    virtual ~INode();
    /// Unique within the scene for the node's lifetime; never 0.
    virtual ULONG GetHandle() = 0;
    virtual const wchar_t* GetName() = 0;
    /// The node's world transform at t; `valid` is narrowed to the interval it holds for.
    virtual Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) = 0;
    /// Sets the world transform at t (a key when animate mode is on).
    virtual void SetNodeTM(TimeValue t, Matrix3& tm) = 0;
};

/// One of the host's viewports.
class HOST_API ViewExp {
public:
    virtual ~ViewExp();
    /// False once the viewport has gone.
    virtual bool IsAlive() = 0;
    /// The camera node the viewport looks through; null for a perspective or orthographic view.
    virtual INode* GetViewCamera() = 0;
    virtual void SetViewCamera(INode* camNode) = 0;
};
