#pragma once
// Class descriptors: how the host lists and creates a plug-in's classes.

#include "host/IParamBlock2.h"
#include "host/Texmap.h"

#include <vector>

class HOST_API ClassDesc2 {
public:
    virtual ~ClassDesc2();

    virtual int IsPublic() = 0;
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual const wchar_t* ClassName() = 0;
    virtual const wchar_t* NonLocalizedClassName() { return ClassName(); }
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const wchar_t* Category() = 0;
    virtual const wchar_t* InternalName() { return ClassName(); }
    virtual HINSTANCE HInstance() = 0;

    // Blocks registered by their descriptors' constructors.
    void AddParamBlockDesc(ParamBlockDesc2* pbd);
    void RemoveParamBlockDesc(ParamBlockDesc2* pbd);
    int NumParamBlockDescs() const { return int(blockDescs.size()); }
    ParamBlockDesc2* GetParamBlockDesc(int i) const;
    ParamBlockDesc2* GetParamBlockDescByID(BlockID id) const;

    /// Builds every P_AUTO_CONSTRUCT block for `owner` and installs each as the owner's
    /// reference given by its descriptor.
    void MakeAutoParamBlocks(ReferenceMaker* owner);
    /// Builds the automatic rollups (P_AUTO_UI) of `obj` in the material editor.
    ParamDlg* CreateParamDlgs(HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj);
    /// Puts every block of `obj` back to its defaults.
    void Reset(ReferenceTarget* obj, bool updateUI = true, bool callSetHandlers = true);

private:
    std::vector<ParamBlockDesc2*> blockDescs;
};
