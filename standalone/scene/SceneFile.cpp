// The standalone host's scene file: every object reachable from the scene root, with its class,
// its name, its own chunks and its references, so that loading rebuilds the same graph.

#include "scene/ChunkIO.h"
#include "scene/SceneNodes.h"
#include "scene/StandaloneHost.h"

#include "core/ChunkFields.h"
#include "core/HostStrings.h"

#include <imtl.h>
#include "platform/Platform.h"

namespace standalone {

namespace {

constexpr USHORT kSceneHeader = 0x5A53;
constexpr uint32_t kSceneVersion = 1;
constexpr USHORT kObjects = 0x2000;
constexpr USHORT kObject = 0x2001;
constexpr USHORT kObjectClass = 0x2002;
constexpr USHORT kObjectData = 0x2003;
constexpr USHORT kObjectRefs = 0x2004;
constexpr USHORT kObjectName = 0x2005;
constexpr USHORT kRoots = 0x2010;
constexpr USHORT kNodes = 0x2020;  // the scene's nodes and the viewport's camera
// A node record's fields: handle, name, constant transform, keys; a transform is its four rows
// and its flags.
constexpr uint32_t kMaxNodeKeys = 1u << 20;

void PutMatrix(ChunkOut& out, const Matrix3& m) {
    for (int r = 0; r < 4; ++r) {
        Point3 row = m.GetRow(r);
        out.F32(row.x);
        out.F32(row.y);
        out.F32(row.z);
    }
    out.U32(m.GetIdentFlags());
}

bool GetMatrix(ChunkIn& in, Matrix3& m) {
    for (int r = 0; r < 4; ++r) {
        Point3 row;
        if (!in.F32(row.x) || !in.F32(row.y) || !in.F32(row.z)) {
            return false;
        }
        m.SetRow(r, row);
    }
    uint32_t flags = 0;
    if (!in.U32(flags)) {
        return false;
    }
    m.SetIdentFlags(flags);
    return true;
}

void SaveNodes(ISave& save) {
    SceneNodesRecord record = RecordSceneNodes();
    ChunkOut out(&save);
    out.U32(record.viewCameraHandle);
    out.U32(uint32_t(record.nodes.size()));
    for (const NodeRecord& n : record.nodes) {
        out.U32(n.handle);
        out.Str(MakeMstr(n.name));
        PutMatrix(out, n.base);
        out.U32(uint32_t(n.keys.size()));
        for (const auto& [t, tm] : n.keys) {
            out.I32(t);
            PutMatrix(out, tm);
        }
    }
}

// A damaged record ends the list; the nodes before it load as saved.
SceneNodesRecord LoadNodes(ILoad& load) {
    SceneNodesRecord record;
    ChunkIn in(&load);
    uint32_t camera = 0, count = 0;
    if (!in.U32(camera) || !in.U32(count)) {
        return record;
    }
    record.viewCameraHandle = camera;
    for (uint32_t i = 0; i < count; ++i) {
        NodeRecord n;
        uint32_t keys = 0;
        uint32_t handle = 0;
        if (!in.U32(handle)) {
            break;
        }
        n.handle = handle;
        MSTR name;
        in.Str(name);
        n.name = MstrView(name);
        if (!GetMatrix(in, n.base) || !in.U32(keys) || keys > kMaxNodeKeys) {
            break;
        }
        bool whole = true;
        for (uint32_t k = 0; k < keys && whole; ++k) {
            std::pair<TimeValue, Matrix3> key;
            whole = in.I32(key.first) && GetMatrix(in, key.second);
            if (whole) {
                n.keys.push_back(key);
            }
        }
        if (!whole) {
            break;
        }
        record.nodes.push_back(std::move(n));
    }
    return record;
}

// Every field little-endian, through the one field writer and reader.
template <typename T>
void Put(ISave& out, T v) {
    PutField(&out, v);
}

template <typename T>
bool Get(ILoad& in, T& v) {
    return GetField(&in, v);
}

void Collect(ReferenceTarget* t, std::vector<ReferenceTarget*>& order) {
    if (!t || std::find(order.begin(), order.end(), t) != order.end()) {
        return;
    }
    order.push_back(t);
    for (int i = 0; i < t->NumRefs(); ++i) {
        Collect(t->GetReference(i), order);
    }
}

int IndexOf(const std::vector<ReferenceTarget*>& order, ReferenceTarget* t) {
    auto it = std::find(order.begin(), order.end(), t);
    return it == order.end() ? -1 : int(it - order.begin());
}

struct LoadedObject {
    ReferenceTarget* object = nullptr;
    std::vector<std::pair<int32_t, int32_t>> refs;  // (which, object index)
};

ReferenceTarget* CreateObject(ILoad& in) {
    uint32_t superClass = 0, a = 0, b = 0;
    if (!Get(in, superClass) || !Get(in, a) || !Get(in, b)) {
        return nullptr;
    }
    if (superClass == PARAMETER_BLOCK2_CLASS_ID) {
        uint32_t ownerSuper = 0, ownerA = 0, ownerB = 0;
        int16_t blockId = 0;
        if (!Get(in, ownerSuper) || !Get(in, ownerA) || !Get(in, ownerB) || !Get(in, blockId)) {
            return nullptr;
        }
        ClassDesc2* owner = FindClassDesc(ownerSuper, Class_ID(ownerA, ownerB));
        ParamBlockDesc2* desc = owner ? owner->GetParamBlockDescByID(blockId) : nullptr;
        return desc ? CreateParameterBlock2(desc, nullptr) : nullptr;
    }
    ClassDesc2* cd = FindClassDesc(superClass, Class_ID(a, b));
    return cd ? static_cast<ReferenceTarget*>(static_cast<Animatable*>(cd->Create(TRUE))) : nullptr;
}

}  // namespace

std::vector<unsigned char> SaveSceneToBytes(SceneRoot& root) {
    std::vector<ReferenceTarget*> order;
    for (int i = 0; i < root.Count(); ++i) {
        Collect(root.Get(i), order);
    }
    ChunkWriter out;
    out.BeginChunk(kSceneHeader);
    Put(out, kSceneVersion);
    out.EndChunk();
    out.BeginChunk(kObjects);
    for (ReferenceTarget* t : order) {
        out.BeginChunk(kObject);
        out.BeginChunk(kObjectClass);
        Put(out, uint32_t(t->SuperClassID()));
        Put(out, uint32_t(t->ClassID().PartA()));
        Put(out, uint32_t(t->ClassID().PartB()));
        if (auto* block = dynamic_cast<IParamBlock2*>(t)) {
            ClassDesc2* owner = block->GetDesc()->cd;
            Put(out, uint32_t(owner ? owner->SuperClassID() : 0));
            Put(out, uint32_t(owner ? owner->ClassID().PartA() : 0));
            Put(out, uint32_t(owner ? owner->ClassID().PartB() : 0));
            Put(out, int16_t(block->ID()));
        }
        out.EndChunk();
        if (auto* mtl = dynamic_cast<MtlBase*>(t)) {
            out.BeginChunk(kObjectName);
            const std::string name = platform::WideToUtf16Bytes(MstrView(mtl->GetName()));
            ULONG n = 0;
            out.WriteVoid(name.data(), ULONG(name.size()), &n);
            out.EndChunk();
        }
        out.BeginChunk(kObjectData);
        t->Save(&out);
        out.EndChunk();
        out.BeginChunk(kObjectRefs);
        std::vector<std::pair<int32_t, int32_t>> refs;
        for (int i = 0; i < t->NumRefs(); ++i) {
            int index = IndexOf(order, t->GetReference(i));
            if (index >= 0) {
                refs.emplace_back(i, index);
            }
        }
        Put(out, uint32_t(refs.size()));
        for (auto [which, index] : refs) {
            Put(out, which);
            Put(out, index);
        }
        out.EndChunk();
        out.EndChunk();
    }
    out.EndChunk();
    out.BeginChunk(kRoots);
    Put(out, uint32_t(root.Count()));
    for (int i = 0; i < root.Count(); ++i) {
        Put(out, int32_t(IndexOf(order, root.Get(i))));
    }
    out.EndChunk();
    out.BeginChunk(kNodes);
    SaveNodes(out);
    out.EndChunk();
    return out.Bytes();
}

bool LoadSceneFromBytes(const std::vector<unsigned char>& bytes, SceneRoot& root,
                        std::string* error) {
    ChunkReader in(bytes.data(), bytes.size());
    uint32_t version = 0;
    if (in.OpenChunk() != IO_OK || in.CurChunkID() != kSceneHeader || !Get(in, version) ||
        version != kSceneVersion) {
        if (error) {
            *error = "not a scene file";
        }
        return false;
    }
    in.CloseChunk();
    std::vector<LoadedObject> objects;
    std::vector<int32_t> roots;
    SceneRoot keeper;  // holds every loaded object until the graph is wired
    while (in.OpenChunk() == IO_OK) {
        if (in.CurChunkID() == kObjects) {
            while (in.OpenChunk() == IO_OK) {
                LoadedObject loaded;
                if (in.CurChunkID() == kObject) {
                    MSTR name;
                    while (in.OpenChunk() == IO_OK) {
                        switch (in.CurChunkID()) {
                            case kObjectClass:
                                if (!loaded.object) {
                                    loaded.object = CreateObject(in);
                                    if (loaded.object) {
                                        keeper.Add(loaded.object);
                                    }
                                }
                                break;
                            case kObjectName: {
                                std::string bytes(in.CurChunkLength() & ~1u, '\0');
                                ULONG n = 0;
                                in.ReadVoid(bytes.data(), ULONG(bytes.size()), &n);
                                name = MakeMstr(platform::Utf16BytesToWide(bytes.substr(0, n)));
                            } break;
                            case kObjectData:
                                if (loaded.object) {
                                    loaded.object->Load(&in);
                                }
                                break;
                            case kObjectRefs: {
                                uint32_t count = 0;
                                Get(in, count);
                                for (uint32_t i = 0; i < count; ++i) {
                                    int32_t which = 0, index = 0;
                                    if (!Get(in, which) || !Get(in, index)) {
                                        break;
                                    }
                                    loaded.refs.emplace_back(which, index);
                                }
                                break;
                            }
                            default:
                                break;
                        }
                        in.CloseChunk();
                    }
                    if (auto* mtl = dynamic_cast<MtlBase*>(loaded.object)) {
                        mtl->SetName(name);
                    }
                }
                objects.push_back(std::move(loaded));
                in.CloseChunk();
            }
        } else if (in.CurChunkID() == kRoots) {
            uint32_t count = 0;
            Get(in, count);
            for (uint32_t i = 0; i < count; ++i) {
                int32_t index = -1;
                if (!Get(in, index)) {
                    break;
                }
                roots.push_back(index);
            }
        } else if (in.CurChunkID() == kNodes) {
            RestoreSceneNodes(LoadNodes(in));
        }
        in.CloseChunk();
    }
    // References are made once every object exists, as the host does after loading.
    for (LoadedObject& o : objects) {
        if (!o.object) {
            continue;
        }
        for (auto [which, index] : o.refs) {
            if (index >= 0 && size_t(index) < objects.size() && objects[size_t(index)].object &&
                which >= 0 && which < o.object->NumRefs()) {
                o.object->ReplaceReference(which, objects[size_t(index)].object);
            }
        }
    }
    for (int32_t index : roots) {
        if (index >= 0 && size_t(index) < objects.size() && objects[size_t(index)].object) {
            root.Add(objects[size_t(index)].object);
        }
    }
    // The keeper lets go last: whatever nothing of the scene refers to is deleted then, and
    // an object that goes takes only what it alone held with it.
    return true;
}

bool SaveScene(const std::wstring& windowsPath, SceneRoot& root, std::string* error) {
    std::vector<unsigned char> bytes = SaveSceneToBytes(root);
    // Written beside the old file and moved over it: a save that fails leaves the last good
    // scene whole.
    if (!platform::WriteWholeFile(
            windowsPath,
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
        if (error) {
            *error = "cannot write the scene file";
        }
        return false;
    }
    return true;
}

bool LoadScene(const std::wstring& windowsPath, SceneRoot& root, std::string* error) {
    std::string bytes;
    if (!platform::ReadWholeFile(windowsPath, bytes)) {
        if (error) {
            *error = "cannot open the scene file";
        }
        return false;
    }
    return LoadSceneFromBytes(std::vector<unsigned char>(bytes.begin(), bytes.end()), root, error);
}

}  // namespace standalone
