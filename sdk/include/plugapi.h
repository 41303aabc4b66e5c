#pragma once
// What a plug-in library tells the host: its version, super class ids, and a class descriptor
// for every class it offers.

#include "maxtypes.h"
#include "strclass.h"

class ClassDesc2;
class Interface;
class ReferenceMaker;

// Super classes.
#define REF_TARGET_CLASS_ID 0x00000200
#define PARAMETER_BLOCK2_CLASS_ID 0x00000082
#define TEXMAP_CLASS_ID 0x00000c10

// The version a plug-in was built against: release, interface number, SDK revision.
#define MAX_RELEASE_R27 27000
#define MAX_RELEASE MAX_RELEASE_R27
#define MAX_API_NUM 66
#define MAX_SDK_REV 0
#define MAX_RELEASE_EXTERNAL MAX_RELEASE
#define VERSION_3DSMAX ((MAX_RELEASE << 16) + (MAX_API_NUM << 8) + MAX_SDK_REV)

/// Describes one plug-in class to the host.
class CoreExport ClassDesc {
public:
    virtual ~ClassDesc();
    virtual int IsPublic() = 0;
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual const MCHAR* ClassName() = 0;
    virtual const MCHAR* NonLocalizedClassName() = 0;
    virtual const MCHAR* InternalName();
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const MCHAR* Category() = 0;
    virtual HINSTANCE HInstance();
    /// Builds the object's parameter blocks that construct themselves.
    virtual void MakeAutoParamBlocks(ReferenceMaker* owner);
};
