#pragma once
// Services of the standalone host that programs and tests use to play the host application:
// the core interface's switches, the directory of known classes and the scene file.

#include <GetCOREInterface.h>
#include <iparamb2.h>
#include <maxapi.h>

#include "scene/ZenhostApi.h"

#include <string>
#include <vector>

namespace standalone {

/// The makers that reference `target`, in the order they started to (a maker that holds two
/// references to it appears twice); empty for null.
ZENHOST_API std::vector<ReferenceMaker*> DependentsOf(ReferenceTarget* target);
/// Deletes `target` (through DeleteThis) when no maker references it any more, as the host
/// does when a reference to it is dropped. Null is ignored.
ZENHOST_API void MaybeAutoDelete(ReferenceTarget* target);

/// An asset standing for `fileName` (a Windows path or a bare name), as the host's asset
/// manager hands one out.
ZENHOST_API MaxSDK::AssetManagement::AssetUser MakeAssetUser(const MSTR& fileName);

/// Makes GetCOREInterface answer null (false) or the host's interface (true, the default).
ZENHOST_API void SetCoreInterfaceAvailable(bool available);
/// The scene time as the core interface reports it; 0 while GetCOREInterface answers null.
ZENHOST_API TimeValue CoreTime();

/// Scene nodes (user-interface thread). Handles count up from 1 and are never reused; the host
/// owns a node until it is removed. Removing a node takes it out of the viewport and the
/// selection.
ZENHOST_API INode* CreateNode(const std::wstring& name, const Matrix3& tm);
ZENHOST_API void RemoveNode(INode* node);
ZENHOST_API void RemoveAllNodes();
/// The nodes selected, in selection order.
ZENHOST_API std::vector<INode*> SelectedNodes();
/// Every node of the scene, in creation order.
ZENHOST_API std::vector<INode*> SceneNodes();

/// Classes the host can create by id, for scene loading: the host's own and every plug-in
/// class registered here.
ZENHOST_API void RegisterClassDesc(ClassDesc2* cd);
ZENHOST_API void UnregisterClassDesc(ClassDesc2* cd);
ZENHOST_API ClassDesc2* FindClassDesc(SClass_ID superClass, const Class_ID& classId);

/// Holds a scene's top-level objects as its references, so that they live while it does.
class ZENHOST_API SceneRoot : public ReferenceMaker {
public:
    SceneRoot() = default;
    /// A root lives on the stack or in its owner: it is destroyed directly, not by DeleteThis.
    ~SceneRoot() override;
    SClass_ID SuperClassID() override { return 0; }
    int NumRefs() override { return int(items.size()); }
    ReferenceTarget* GetReference(int i) override;
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
    /// Appends a top-level object; returns its index.
    int Add(ReferenceTarget* target);
    /// Releases a top-level object (deleted when nothing else references it).
    void Remove(int index);
    ReferenceTarget* Get(int i) { return GetReference(i); }
    int Count() const { return int(items.size()); }

protected:
    void SetReference(int i, ReferenceTarget* target) override;

private:
    std::vector<ReferenceTarget*> items;
};

/// Writes every object reachable from the root's references, their references and their own
/// chunks to a scene file. False with a message on failure.
ZENHOST_API bool SaveScene(const std::wstring& windowsPath, SceneRoot& root, std::string* error);
/// Reads a scene file written by SaveScene into `root` (appending its top-level objects).
/// Objects of unknown classes are dropped; damaged chunks end their object's data.
ZENHOST_API bool LoadScene(const std::wstring& windowsPath, SceneRoot& root, std::string* error);
/// The same through memory, for tests of damaged data.
ZENHOST_API std::vector<unsigned char> SaveSceneToBytes(SceneRoot& root);
ZENHOST_API bool LoadSceneFromBytes(const std::vector<unsigned char>& bytes, SceneRoot& root,
                                    std::string* error);

}  // namespace standalone
