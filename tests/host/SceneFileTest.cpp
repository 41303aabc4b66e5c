// The standalone host's chunked scene data and its scene file: chunk bounds, damaged data, and
// scenes that load back as they were saved.

#include "ChunkIO.h"
#include "EnvironmentSample.h"
#include "ProceduralSky.h"
#include "StandaloneHost.h"

#include "host/ClassDesc2.h"
#include "host/IOApi.h"
#include "host/Interface.h"
#include "host/Texmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using standalone::ChunkReader;
using standalone::ChunkWriter;
using Bytes = std::vector<uint8_t>;

void WriteBytes(ChunkWriter& out, const std::string& text) {
    ULONG written = 0;
    out.Write(text.data(), ULONG(text.size()), &written);
}

std::string ReadAll(ChunkReader& in) {
    std::string text(in.CurChunkLength(), '\0');
    ULONG got = 0;
    EXPECT_EQ(in.Read(text.data(), ULONG(text.size()), &got), IO_OK);
    return text;
}

// --- Chunk writer and reader ---------------------------------------------------------------

TEST(ChunkIOTest, ChunkIsIdThenLengthWithHeaderLittleEndianThenData) {
    ChunkWriter out;
    out.BeginChunk(0x1234);
    WriteBytes(out, "\xAA");
    out.EndChunk();
    EXPECT_EQ(out.Bytes(), (Bytes{0x34, 0x12, 0x07, 0x00, 0x00, 0x00, 0xAA}));
}

TEST(ChunkIOTest, NestedChunksReadBackLevelByLevel) {
    ChunkWriter out;
    out.BeginChunk(0x10);
    WriteBytes(out, "head");
    out.BeginChunk(0x20);
    WriteBytes(out, "abc");
    out.EndChunk();
    out.BeginChunk(0x21);  // empty
    out.EndChunk();
    out.EndChunk();
    out.BeginChunk(0x30);
    WriteBytes(out, "tail");
    out.EndChunk();

    ChunkReader in(out.Bytes().data(), out.Bytes().size());
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    EXPECT_EQ(in.CurChunkID(), 0x10);
    EXPECT_EQ(in.CurChunkLength(), 4u + (6 + 3) + 6);
    char head[4];
    ULONG got = 0;
    ASSERT_EQ(in.Read(head, 4, &got), IO_OK);
    EXPECT_EQ(std::string(head, 4), "head");
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    EXPECT_EQ(in.CurChunkID(), 0x20);
    EXPECT_EQ(ReadAll(in), "abc");
    EXPECT_EQ(in.CloseChunk(), IO_OK);
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    EXPECT_EQ(in.CurChunkID(), 0x21);
    EXPECT_EQ(in.CurChunkLength(), 0u);
    EXPECT_EQ(in.CloseChunk(), IO_OK);
    EXPECT_EQ(in.OpenChunk(), IO_END);
    EXPECT_EQ(in.CloseChunk(), IO_OK);
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    EXPECT_EQ(in.CurChunkID(), 0x30);
    EXPECT_EQ(ReadAll(in), "tail");
    EXPECT_EQ(in.CloseChunk(), IO_OK);
    EXPECT_EQ(in.OpenChunk(), IO_END);
    EXPECT_EQ(in.CloseChunk(), IO_ERROR);  // nothing is open
    EXPECT_EQ(in.CurChunkID(), 0);
    EXPECT_EQ(in.CurChunkLength(), 0u);
}

TEST(ChunkIOTest, CloseSkipsWhatWasNotReadIncludingChildren) {
    ChunkWriter out;
    out.BeginChunk(0x10);
    out.BeginChunk(0x11);
    WriteBytes(out, "inner");
    out.EndChunk();
    WriteBytes(out, "rest");
    out.EndChunk();
    out.BeginChunk(0x30);
    out.EndChunk();

    ChunkReader in(out.Bytes().data(), out.Bytes().size());
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    ASSERT_EQ(in.CloseChunk(), IO_OK);
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    EXPECT_EQ(in.CurChunkID(), 0x30);
}

TEST(ChunkIOTest, ReadNeverCrossesTheChunkEnd) {
    ChunkWriter out;
    out.BeginChunk(0x10);
    WriteBytes(out, "abcd");
    out.EndChunk();
    out.BeginChunk(0x11);
    WriteBytes(out, "next");
    out.EndChunk();

    ChunkReader in(out.Bytes().data(), out.Bytes().size());
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    ULONG got = 99;
    EXPECT_EQ(in.Read(buffer, 8, &got), IO_ERROR);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buffer, 8), "abcd####");
    EXPECT_EQ(in.Read(buffer, 1, &got), IO_ERROR);
    EXPECT_EQ(got, 0u);
    ASSERT_EQ(in.CloseChunk(), IO_OK);
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    EXPECT_EQ(in.CurChunkID(), 0x11);
    EXPECT_EQ(ReadAll(in), "next");
}

// A parent chunk of 6 + 10 bytes whose only child claims `childLength`, then a sibling chunk.
Bytes ParentWithChildLength(uint32_t childLength) {
    Bytes b = {0x10, 0x00, 16, 0, 0, 0};
    b.insert(b.end(), {0x11, 0x00, uint8_t(childLength), uint8_t(childLength >> 8),
                       uint8_t(childLength >> 16), uint8_t(childLength >> 24)});
    b.insert(b.end(), {'w', 'x', 'y', 'z'});
    b.insert(b.end(), {0x30, 0x00, 6, 0, 0, 0});
    return b;
}

TEST(ChunkIOTest, ChildLengthThatDoesNotFitItsParentEndsTheLevel) {
    // 11 bytes: one more than the parent has left; the sibling after the parent would fit it.
    // 0xFFFFFFFF: far beyond the data. 0 and 5: shorter than a chunk header.
    for (uint32_t length : {11u, 0xFFFFFFFFu, 0u, 5u}) {
        SCOPED_TRACE(length);
        Bytes bytes = ParentWithChildLength(length);
        ChunkReader in(bytes.data(), bytes.size());
        ASSERT_EQ(in.OpenChunk(), IO_OK);
        EXPECT_EQ(in.OpenChunk(), IO_END);
        EXPECT_EQ(in.CurChunkID(), 0x10);  // still in the parent
        char c = '#';
        ULONG got = 99;
        EXPECT_EQ(in.Read(&c, 1, &got), IO_ERROR);  // the damaged level is used up
        EXPECT_EQ(got, 0u);
        EXPECT_EQ(in.OpenChunk(), IO_END);
        ASSERT_EQ(in.CloseChunk(), IO_OK);
        ASSERT_EQ(in.OpenChunk(), IO_OK);  // the parent's sibling is intact
        EXPECT_EQ(in.CurChunkID(), 0x30);
    }
}

TEST(ChunkIOTest, ChildLengthThatFitsExactlyIsRead) {
    Bytes bytes = ParentWithChildLength(10);
    ChunkReader in(bytes.data(), bytes.size());
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    EXPECT_EQ(in.CurChunkID(), 0x11);
    EXPECT_EQ(ReadAll(in), "wxyz");
}

TEST(ChunkIOTest, TopLevelChunkLongerThanTheDataOrAShortHeaderEndsTheData) {
    Bytes tooLong = {0x10, 0x00, 9, 0, 0, 0, 'a', 'b'};
    ChunkReader a(tooLong.data(), tooLong.size());
    EXPECT_EQ(a.OpenChunk(), IO_END);
    Bytes shortHeader = {0x10, 0x00, 6, 0, 0};
    ChunkReader b(shortHeader.data(), shortHeader.size());
    EXPECT_EQ(b.OpenChunk(), IO_END);
    ChunkReader empty(nullptr, 0);
    EXPECT_EQ(empty.OpenChunk(), IO_END);
}

// --- Scene file ---------------------------------------------------------------------------

/// Animate mode for one test; always off afterwards.
class ScopedAnimate {
public:
    ScopedAnimate() { AnimateOn(); }
    ~ScopedAnimate() { AnimateOff(); }
};

// A map of the test's own with two references and a number of its own in one chunk.
constexpr Class_ID kLinkClassA(0x7E570001, 0x1);
constexpr Class_ID kLinkClassB(0x7E570002, 0x1);
constexpr USHORT kLinkNumberChunk = 0x0042;

class LinkMap : public Texmap {
public:
    explicit LinkMap(Class_ID id) : classId(id) {}
    ~LinkMap() override { DeleteAllRefsFromMe(); }
    Class_ID ClassID() override { return classId; }
    int NumRefs() override { return 2; }
    ReferenceTarget* GetReference(int i) override { return i >= 0 && i < 2 ? refs[i] : nullptr; }
    RefResult NotifyRefChanged(const Interval&, ReferenceTarget*, PartID&, RefMessage,
                               bool) override {
        return REF_SUCCEED;
    }
    IOResult Save(ISave* isave) override {
        ULONG written = 0;
        isave->BeginChunk(kLinkNumberChunk);
        isave->Write(&number, sizeof number, &written);
        isave->EndChunk();
        return IO_OK;
    }
    IOResult Load(ILoad* iload) override {
        while (iload->OpenChunk() == IO_OK) {
            ULONG got = 0;
            if (iload->CurChunkID() == kLinkNumberChunk) {
                iload->Read(&number, sizeof number, &got);
            }
            iload->CloseChunk();
        }
        return IO_OK;
    }
    AColor EvalColor(ShadeContext&) override { return AColor(0, 0, 0, 1); }
    Point3 EvalNormalPerturb(ShadeContext&) override { return {}; }
    void Update(TimeValue, Interval&) override {}
    void Reset() override {}
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

    int32_t number = 0;
    ReferenceTarget* refs[2] = {};

protected:
    void SetReference(int i, ReferenceTarget* target) override {
        if (i >= 0 && i < 2) {
            refs[i] = target;
        }
    }

private:
    Class_ID classId;
};

class LinkMapDesc : public ClassDesc2 {
public:
    explicit LinkMapDesc(Class_ID id) : classId(id) {}
    int IsPublic() override { return FALSE; }
    void* Create(BOOL) override { return static_cast<Texmap*>(new LinkMap(classId)); }
    const char16_t* ClassName() override { return u"Link Map"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return classId; }
    const char16_t* Category() override { return u""; }
    HINSTANCE HInstance() override { return nullptr; }

private:
    Class_ID classId;
};

LinkMapDesc linkDescA(kLinkClassA);
LinkMapDesc linkDescB(kLinkClassB);

/// Makes a class known to scene loading for its lifetime (or until Forget).
class ScopedClassRegistration {
public:
    explicit ScopedClassRegistration(ClassDesc2* cd) : desc(cd) {
        standalone::RegisterClassDesc(desc);
    }
    ~ScopedClassRegistration() { Forget(); }
    void Forget() { standalone::UnregisterClassDesc(desc); }

private:
    ClassDesc2* desc;
};

LinkMap* NewLink(LinkMapDesc& desc, int32_t number) {
    auto* link = static_cast<LinkMap*>(static_cast<Texmap*>(desc.Create(FALSE)));
    link->number = number;
    return link;
}

// A sky with one parameter changed, one animated and a name.
Texmap* NewEditedSky() {
    Texmap* sky = standalone::CreateProceduralSky();
    IParamBlock2* block = sky->GetParamBlock(0);
    block->SetValue(standalone::kSkySunElevation, 0, 45.0f);
    {
        ScopedAnimate animate;
        block->SetValue(standalone::kSkySunIntensity, 3200, 800.0f);  // 5000 at 0
    }
    sky->SetName(u"Evening sky");
    return sky;
}

bool IsSky(ReferenceTarget* t) {
    return t && t->SuperClassID() == TEXMAP_CLASS_ID &&
           t->ClassID() == standalone::kProceduralSkyClassID;
}

float SkyValue(Texmap* sky, ParamID id, TimeValue t) {
    float v = -1.0f;
    Interval valid = FOREVER;
    EXPECT_TRUE(sky->GetParamBlock(0)->GetValue(id, t, v, valid));
    return v;
}

TEST(SceneFileTest, EditedSkyLoadsBackEqual) {
    standalone::SceneRoot root;
    Texmap* saved = NewEditedSky();
    root.Add(saved);
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(root);

    standalone::SceneRoot loadedRoot;
    std::string error;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loadedRoot, &error)) << error;
    ASSERT_EQ(loadedRoot.Count(), 1);
    ASSERT_TRUE(IsSky(loadedRoot.Get(0)));
    auto* loaded = static_cast<Texmap*>(loadedRoot.Get(0));
    ASSERT_NE(loaded, saved);
    EXPECT_EQ(loaded->GetName(), u"Evening sky");

    IParamBlock2* block = loaded->GetParamBlock(0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(loaded->GetReference(0), block);
    EXPECT_EQ(SkyValue(loaded, standalone::kSkySunElevation, 0), 45.0f);
    EXPECT_EQ(SkyValue(loaded, standalone::kSkySunAzimuth, 0), 0.0f);
    Control* c = block->GetControllerByID(standalone::kSkySunIntensity);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->NumKeys(), 2);
    EXPECT_EQ(c->GetKeyTime(0), 0);
    EXPECT_EQ(c->GetKeyTime(1), 3200);
    EXPECT_EQ(SkyValue(loaded, standalone::kSkySunIntensity, 1600), 2900.0f);

    // The two maps give the same colour everywhere at every time, the sun included.
    for (TimeValue t : {0, 1600, 3200, 4800}) {
        for (float v = 0.0625f; v < 1.0f; v += 0.125f) {
            for (float u = 0.03125f; u < 1.0f; u += 0.0625f) {
                standalone::EnvironmentSample sample(standalone::DirectionFromUV(u, v), t);
                ASSERT_EQ(loaded->EvalColor(sample), saved->EvalColor(sample))
                    << "t=" << t << " u=" << u << " v=" << v;
            }
        }
        Point3 sun(0, -std::cos(0.7853982f), std::sin(0.7853982f));  // azimuth 0, 45 degrees up
        standalone::EnvironmentSample atSun(sun, t);
        EXPECT_EQ(loaded->EvalColor(atSun), saved->EvalColor(atSun));
    }
}

TEST(SceneFileTest, SharedTargetLoadsAsOneObjectAndReferencesAreRestored) {
    ScopedClassRegistration registration(&linkDescA);
    standalone::SceneRoot root;
    Texmap* sky = NewEditedSky();
    LinkMap* first = NewLink(linkDescA, 11);
    LinkMap* second = NewLink(linkDescA, 22);
    first->ReplaceReference(0, sky);
    first->ReplaceReference(1, second);
    second->ReplaceReference(1, sky);
    root.Add(first);
    root.Add(sky);
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(root);

    standalone::SceneRoot loadedRoot;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loadedRoot, nullptr));
    ASSERT_EQ(loadedRoot.Count(), 2);
    ASSERT_EQ(loadedRoot.Get(0)->ClassID(), kLinkClassA);
    auto* loadedFirst = static_cast<LinkMap*>(static_cast<Texmap*>(loadedRoot.Get(0)));
    EXPECT_EQ(loadedFirst->number, 11);
    ASSERT_TRUE(IsSky(loadedRoot.Get(1)));
    ReferenceTarget* loadedSky = loadedRoot.Get(1);
    EXPECT_EQ(loadedFirst->refs[0], loadedSky);
    ASSERT_NE(loadedFirst->refs[1], nullptr);
    ASSERT_EQ(loadedFirst->refs[1]->ClassID(), kLinkClassA);
    auto* loadedSecond = static_cast<LinkMap*>(static_cast<Texmap*>(loadedFirst->refs[1]));
    EXPECT_EQ(loadedSecond->number, 22);
    EXPECT_EQ(loadedSecond->refs[0], nullptr);
    EXPECT_EQ(loadedSecond->refs[1], loadedSky);
    EXPECT_EQ(loadedSky->GetDependents().size(), 3u);  // first, second and the root
    EXPECT_EQ(static_cast<Texmap*>(loadedSky)->GetName(), u"Evening sky");
}

TEST(SceneFileTest, ObjectsOfUnknownClassesAreDroppedAndTheRestLoads) {
    ScopedClassRegistration registrationA(&linkDescA);
    ScopedClassRegistration registrationB(&linkDescB);
    standalone::SceneRoot root;
    LinkMap* known = NewLink(linkDescA, 1);
    LinkMap* unknownInside = NewLink(linkDescB, 2);
    LinkMap* unknownRoot = NewLink(linkDescB, 3);
    Texmap* sky = NewEditedSky();
    Texmap* skyOfUnknown = NewEditedSky();
    known->ReplaceReference(0, unknownInside);
    known->ReplaceReference(1, sky);
    unknownInside->ReplaceReference(0, sky);
    unknownRoot->ReplaceReference(0, skyOfUnknown);
    root.Add(unknownRoot);  // first, so that its sky comes before everything else
    root.Add(known);
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(root);
    registrationB.Forget();

    standalone::SceneRoot loadedRoot;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loadedRoot, nullptr));
    ASSERT_EQ(loadedRoot.Count(), 1);
    ASSERT_EQ(loadedRoot.Get(0)->ClassID(), kLinkClassA);
    auto* loadedKnown = static_cast<LinkMap*>(static_cast<Texmap*>(loadedRoot.Get(0)));
    EXPECT_EQ(loadedKnown->number, 1);
    EXPECT_EQ(loadedKnown->refs[0], nullptr);
    ASSERT_TRUE(IsSky(loadedKnown->refs[1]));
    EXPECT_EQ(SkyValue(static_cast<Texmap*>(loadedKnown->refs[1]), standalone::kSkySunElevation, 0),
              45.0f);
    // The unknown root's sky belonged to nothing that loaded: it went with it (the leak checker
    // of the sanitised builds would report it otherwise).
}

std::vector<unsigned char> SmallSavedScene() {
    standalone::SceneRoot root;
    root.Add(NewEditedSky());
    return standalone::SaveSceneToBytes(root);
}

TEST(SceneFileDamageTest, EveryTruncationLoadsWithoutCrashing) {
    const std::vector<unsigned char> bytes = SmallSavedScene();
    ASSERT_GT(bytes.size(), 100u);
    for (size_t size = 0; size < bytes.size(); ++size) {
        std::vector<unsigned char> prefix(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
        standalone::SceneRoot root;
        std::string error;
        bool ok = standalone::LoadSceneFromBytes(prefix, root, &error);
        // The 10-byte header chunk is the least that is a scene file.
        if (size < 10) {
            EXPECT_FALSE(ok) << size;
        }
        EXPECT_LE(root.Count(), 1) << size;
    }
    standalone::SceneRoot whole;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, whole, nullptr));
    EXPECT_EQ(whole.Count(), 1);
}

TEST(SceneFileDamageTest, EveryDamagedByteLoadsWithoutCrashing) {
    const std::vector<unsigned char> bytes = SmallSavedScene();
    for (size_t at = 0; at < bytes.size(); ++at) {
        for (unsigned char value : {0x00, 0xFF}) {
            std::vector<unsigned char> damaged = bytes;
            damaged[at] = value;
            standalone::SceneRoot root;
            standalone::LoadSceneFromBytes(damaged, root, nullptr);
            EXPECT_LE(root.Count(), 1) << at;
        }
    }
}

}  // namespace
