// The host's core interface: the current time, animate mode and time-change callbacks.

#include "host/Interface.h"

#include "BitmapMap.h"
#include "ProceduralSky.h"
#include "StandaloneHost.h"
#include "VRayBitmapMap.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

class StandaloneInterface : public Interface {
public:
    TimeValue GetTime() override { return time.load(); }
    void SetTime(TimeValue t, bool) override {
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
    // The standalone host has no main window of its own.
    HWND GetMAXHWnd() override { return nullptr; }

private:
    std::atomic<TimeValue> time{0};
    std::vector<TimeChangeCallback*> callbacks;  // user-interface thread only
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
BOOL Animating() {
    return animating.load() ? TRUE : FALSE;
}
void AnimateOn() {
    animating.store(true);
}
void AnimateOff() {
    animating.store(false);
}

namespace standalone {

void SetCoreInterfaceAvailable(bool available) {
    coreAvailable.store(available);
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
