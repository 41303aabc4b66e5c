// The host's core interface: the current time, animate mode, time-change callbacks, the scene's
// nodes and the active viewport.

#include <GetCOREInterface.h>
#include <imtledit.h>
#include <maxapi.h>
#include <ref.h>

#include "maps/BitmapMap.h"
#include "scene/HostWindowsLink.h"
#include "maps/ProceduralSky.h"
#include "scene/SceneNodes.h"
#include "scene/StandaloneHost.h"
#include "maps/VRayBitmapMap.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <iterator>
#include <vector>

namespace {

/// A node whose transform is constant, or keyed when set in animate mode (held from each key
/// to the next; before the first key, the first key's value).
class SceneNode : public INode {
public:
    SceneNode(ULONG h, std::wstring n, const Matrix3& tm)
        : handle(h), name(std::move(n)), base(tm) {}
    explicit SceneNode(const standalone::NodeRecord& r)
        : handle(r.handle), name(r.name), base(r.base), keys(r.keys.begin(), r.keys.end()) {}
    standalone::NodeRecord Record() const {
        return {handle, name, base, {keys.begin(), keys.end()}};
    }
    ULONG GetHandle() override { return handle; }
    const wchar_t* GetName() override { return name.c_str(); }
    Matrix3 GetNodeTM(TimeValue t, Interval* valid) override {
        if (keys.empty()) {
            return base;
        }
        if (valid) {
            *valid = Interval(t, t);
        }
        auto it = keys.upper_bound(t);
        return it == keys.begin() ? it->second : std::prev(it)->second;
    }
    void SetNodeTM(TimeValue t, Matrix3& tm) override {
        if (Animating()) {
            keys[t] = tm;
        } else if (keys.empty()) {
            base = tm;
        } else {
            keys[t] = tm;  // an animated node takes the value at t, as the host's controllers do
        }
        standalone::HostViewChanged();
    }

private:
    ULONG handle;
    std::wstring name;
    Matrix3 base;
    std::map<TimeValue, Matrix3> keys;
};

class StandaloneViewport : public ViewExp {
public:
    bool IsAlive() override { return true; }
    INode* GetViewCamera() override { return camera; }
    void SetViewCamera(INode* camNode) override {
        camera = camNode;
        standalone::HostViewChanged();
    }

private:
    INode* camera = nullptr;
};

class StandaloneInterface : public Interface {
public:
    TimeValue GetTime() override { return time.load(); }
    void SetTime(TimeValue t, BOOL) override {
        time.store(t);
        std::vector<TimeChangeCallback*> copy = callbacks;
        for (TimeChangeCallback* cb : copy) {
            cb->TimeChanged(t);
        }
    }
    void RegisterTimeChangeCallback(TimeChangeCallback* tc) override {
        if (tc && std::find(callbacks.begin(), callbacks.end(), tc) == callbacks.end()) {
            callbacks.push_back(tc);
        }
    }
    void UnRegisterTimeChangeCallback(TimeChangeCallback* tc) override {
        callbacks.erase(std::remove(callbacks.begin(), callbacks.end(), tc), callbacks.end());
    }
    HWND GetMAXHWnd() const override { return standalone::HostMainWindow(); }
    void PutMtlToMtlEditor(MtlBase* mtl, int slot) override {
        if (standalone::MaterialEditorHost* editor = standalone::HostMaterialEditor()) {
            editor->PutMtl(mtl, slot);
        }
    }

    ViewExp& GetActiveViewExp() override { return viewport; }
    INode* GetINodeByHandle(ULONG handle) override {
        for (auto& n : nodes) {
            if (n->GetHandle() == handle) {
                return n.get();
            }
        }
        return nullptr;
    }
    INode* GetINodeByName(const MCHAR* name) override {
        for (auto& n : nodes) {
            if (name && std::wstring_view(n->GetName()) == name) {
                return n.get();
            }
        }
        return nullptr;
    }
    void ClearNodeSelection(BOOL) override { selection.clear(); }
    void SelectNode(INode* node, int clearSel) override {
        if (clearSel) {
            selection.clear();
        }
        if (node && std::find(selection.begin(), selection.end(), node) == selection.end()) {
            selection.push_back(node);
        }
    }

    INode* CreateNode(const std::wstring& name, const Matrix3& tm) {
        nodes.push_back(std::make_unique<SceneNode>(nextHandle++, name, tm));
        return nodes.back().get();
    }
    void RemoveNode(INode* node) {
        if (viewport.GetViewCamera() == node) {
            viewport.SetViewCamera(nullptr);
        }
        selection.erase(std::remove(selection.begin(), selection.end(), node), selection.end());
        nodes.erase(std::remove_if(nodes.begin(), nodes.end(),
                                   [&](const auto& n) { return n.get() == node; }),
                    nodes.end());
    }
    void RemoveAllNodes() {
        viewport.SetViewCamera(nullptr);
        selection.clear();
        nodes.clear();
    }
    standalone::SceneNodesRecord Record() const {
        standalone::SceneNodesRecord r;
        for (const auto& n : nodes) {
            r.nodes.push_back(n->Record());
        }
        INode* camera = const_cast<StandaloneViewport&>(viewport).GetViewCamera();
        r.viewCameraHandle = camera ? camera->GetHandle() : 0;
        return r;
    }
    void Restore(const standalone::SceneNodesRecord& r) {
        RemoveAllNodes();
        for (const standalone::NodeRecord& n : r.nodes) {
            if (n.handle != 0 && !GetINodeByHandle(n.handle)) {
                nodes.push_back(std::make_unique<SceneNode>(n));
                nextHandle = std::max(nextHandle, n.handle + 1);
            }
        }
        viewport.SetViewCamera(r.viewCameraHandle ? GetINodeByHandle(r.viewCameraHandle) : nullptr);
    }
    std::vector<INode*> AllNodes() const {
        std::vector<INode*> all;
        for (const auto& n : nodes) {
            all.push_back(n.get());
        }
        return all;
    }
    std::vector<INode*> selection;

private:
    std::atomic<TimeValue> time{0};
    std::vector<TimeChangeCallback*> callbacks;  // user-interface thread only
    std::vector<std::unique_ptr<SceneNode>> nodes;
    ULONG nextHandle = 1;
    StandaloneViewport viewport;
};

StandaloneInterface& Core() {
    static StandaloneInterface core;
    return core;
}

std::atomic<bool> coreAvailable{true};
std::atomic<bool> animating{false};

std::mutex& DirectoryMutex() {
    static std::mutex m;
    return m;
}
std::vector<ClassDesc2*>& Directory() {
    static std::vector<ClassDesc2*> classes{standalone::GetProceduralSkyDesc(),
                                            standalone::GetBitmapMapDesc(),
                                            standalone::GetVRayBitmapMapDesc()};
    return classes;
}

}  // namespace

Interface* GetCOREInterface() {
    return coreAvailable.load() ? &Core() : nullptr;
}
FPInterface* GetCOREInterface(Interface_ID id) {
    if (!coreAvailable.load() || !(id == MTLEDIT_INTERFACE)) {
        return nullptr;
    }
    return standalone::HostMaterialEditor();
}
BOOL Animating() {
    return animating.load() ? TRUE : FALSE;
}
void AnimateOn() {
    animating.store(true);
}
void AnimateOff() {
    animating.store(false);
}

AnimateSuspend::AnimateSuspend(BOOL, BOOL, BOOL) : animateSuspended(Animating()) {
    if (animateSuspended) {
        AnimateOff();
    }
}

void AnimateSuspend::Resume() {
    if (animateSuspended) {
        animateSuspended = FALSE;
        AnimateOn();
    }
}

AnimateSuspend::~AnimateSuspend() {
    Resume();
}

int GetTicksPerFrame() {
    // The scene runs at 30 frames per second.
    return TIME_TICKSPERSEC / 30;
}

namespace standalone {

INode* CreateNode(const std::wstring& name, const Matrix3& tm) {
    return Core().CreateNode(name, tm);
}
void RemoveNode(INode* node) {
    Core().RemoveNode(node);
}
void RemoveAllNodes() {
    Core().RemoveAllNodes();
}
SceneNodesRecord RecordSceneNodes() {
    return Core().Record();
}
void RestoreSceneNodes(const SceneNodesRecord& record) {
    Core().Restore(record);
}
std::vector<INode*> SelectedNodes() {
    return Core().selection;
}
std::vector<INode*> SceneNodes() {
    return Core().AllNodes();
}

void SetCoreInterfaceAvailable(bool available) {
    coreAvailable.store(available);
}

TimeValue CoreTime() {
    Interface* core = GetCOREInterface();
    return core ? core->GetTime() : 0;
}

void RegisterClassDesc(ClassDesc2* cd) {
    std::lock_guard<std::mutex> lock(DirectoryMutex());
    auto& dir = Directory();
    if (cd && std::find(dir.begin(), dir.end(), cd) == dir.end()) {
        dir.push_back(cd);
    }
}

void UnregisterClassDesc(ClassDesc2* cd) {
    std::lock_guard<std::mutex> lock(DirectoryMutex());
    auto& dir = Directory();
    dir.erase(std::remove(dir.begin(), dir.end(), cd), dir.end());
}

ClassDesc2* FindClassDesc(SClass_ID superClass, const Class_ID& classId) {
    std::lock_guard<std::mutex> lock(DirectoryMutex());
    for (ClassDesc2* cd : Directory()) {
        if (cd->SuperClassID() == superClass && cd->ClassID() == classId) {
            return cd;
        }
    }
    return nullptr;
}

SceneRoot::~SceneRoot() {
    DeleteAllRefsFromMe();
}

ReferenceTarget* SceneRoot::GetReference(int i) {
    return i >= 0 && size_t(i) < items.size() ? items[size_t(i)] : nullptr;
}

void SceneRoot::SetReference(int i, ReferenceTarget* target) {
    if (i < 0) {
        return;
    }
    if (size_t(i) >= items.size()) {
        items.resize(size_t(i) + 1, nullptr);
    }
    items[size_t(i)] = target;
}

int SceneRoot::Add(ReferenceTarget* target) {
    int index = int(items.size());
    ReplaceReference(index, target);
    return index;
}

void SceneRoot::Remove(int index) {
    ReplaceReference(index, nullptr);
}

}  // namespace standalone
