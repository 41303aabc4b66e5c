#pragma once
// The base of every object of the host's scene: class identity, sub-animatables, parameter
// blocks, keys and the files an object uses.

#include "maxtypes.h"
#include "strclass.h"

class AssetEnumCallback;
class IParamBlock2;

/// EnumAuxFiles: every kind of file an object uses.
#define FILE_ENUM_ALL 0x00000007

class CoreExport Animatable {
public:
    Animatable();
    Animatable(const Animatable&) = delete;
    Animatable& operator=(const Animatable&) = delete;

    /// Destroys the object; the host calls this instead of delete.
    virtual void DeleteThis();
    virtual void GetClassName(MSTR& s, bool localized = true) const;
    virtual Class_ID ClassID();
    virtual SClass_ID SuperClassID() = 0;

    virtual int NumSubs();
    virtual Animatable* SubAnim(int i);
    virtual MSTR SubAnimName(int i, bool localized = true);

    /// Reports the files this object uses to `assetEnum`.
    virtual void EnumAuxFiles(AssetEnumCallback& assetEnum, DWORD flags = FILE_ENUM_ALL);

    virtual int NumParamBlocks();
    virtual IParamBlock2* GetParamBlock(int i);
    virtual IParamBlock2* GetParamBlockByID(BlockID id);

    /// Keys of an animation controller; none for other objects.
    virtual int NumKeys();
    virtual TimeValue GetKeyTime(int index);

protected:
    virtual ~Animatable();
};
