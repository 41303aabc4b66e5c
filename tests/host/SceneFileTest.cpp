// The standalone host's chunked scene data and its scene file: chunk bounds, damaged data, and
// scenes that load back as they were saved.

#include "ChunkIO.h"
#include "ProceduralSky.h"
#include "StandaloneHost.h"

#include "host/ClassDesc2.h"
#include "host/IOApi.h"
#include "host/Interface.h"
#include "support/TestTexmap.h"

#include <gtest/gtest.h>

#include <iterator>
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

TEST(ChunkIOTest, NestedChunksReadBackLevelByLevelAndNoReadCrossesAChunkEnd) {
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

    // Each step's result, then the open chunk's id and length, and what a read got.
    enum Op { Open, Read, Close };
    struct Step {
        Op op;
        IOResult result;
        USHORT id = 0;
        ULONG length = 0;
        size_t readBytes = 0;
        std::string got = "";
    };
    const Step steps[] = {
        {Open, IO_OK, 0x10, 4 + (6 + 3) + 6},
        {Read, IO_OK, 0x10, 19, 4, "head"},
        {Open, IO_OK, 0x20, 3},
        {Read, IO_OK, 0x20, 3, 3, "abc"},
        {Close, IO_OK, 0x10, 19},
        {Open, IO_OK, 0x21, 0},
        {Close, IO_OK, 0x10, 19},
        {Open, IO_END, 0x10, 19},
        {Close, IO_OK},
        {Open, IO_OK, 0x30, 4},
        {Read, IO_ERROR, 0x30, 4, 8, "tail"},  // stops at the chunk's end
        {Read, IO_ERROR, 0x30, 4, 1, ""},
        {Close, IO_OK},
        {Open, IO_END},
        {Close, IO_ERROR},  // nothing is open
    };
    ChunkReader in(out.Bytes().data(), out.Bytes().size());
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        std::string buffer(step.readBytes, '#');
        ULONG got = 99;
        const IOResult result = step.op == Open ? in.OpenChunk()
                                : step.op == Close
                                    ? in.CloseChunk()
                                    : in.Read(buffer.data(), ULONG(step.readBytes), &got);
        EXPECT_EQ(result, step.result) << "step " << i;
        EXPECT_EQ(in.CurChunkID(), step.id) << "step " << i;
        EXPECT_EQ(in.CurChunkLength(), step.length) << "step " << i;
        if (step.op == Read) {
            ASSERT_LE(got, step.readBytes) << "step " << i;
            EXPECT_EQ(buffer.substr(0, got), step.got) << "step " << i;
            EXPECT_EQ(buffer.substr(got), std::string(step.readBytes - got, '#')) << "step " << i;
        }
    }

    // Closing skips what was not read, children included.
    ChunkReader skipping(out.Bytes().data(), out.Bytes().size());
    ASSERT_EQ(skipping.OpenChunk(), IO_OK);
    ASSERT_EQ(skipping.CloseChunk(), IO_OK);
    ASSERT_EQ(skipping.OpenChunk(), IO_OK);
    EXPECT_EQ(skipping.CurChunkID(), 0x30);
}

TEST(ChunkIOTest, ALengthThatDoesNotFitItsParentEndsTheLevelAndNothingElse) {
    // A parent of 6 + 10 bytes whose only child claims `length`, then a sibling of the parent.
    // 10 fits exactly; 11 is one more than the parent has left (the sibling would fit it); 0 and
    // 5 are shorter than a chunk header.
    for (uint32_t length : {10u, 11u, 0xFFFFFFFFu, 0u, 5u}) {
        SCOPED_TRACE(length);
        Bytes bytes = {0x10, 0x00, 16, 0, 0, 0, 0x11, 0x00};
        for (int shift : {0, 8, 16, 24}) {
            bytes.push_back(uint8_t(length >> shift));
        }
        bytes.insert(bytes.end(), {'w', 'x', 'y', 'z', 0x30, 0x00, 6, 0, 0, 0});
        ChunkReader in(bytes.data(), bytes.size());
        ASSERT_EQ(in.OpenChunk(), IO_OK);
        if (length == 10) {
            ASSERT_EQ(in.OpenChunk(), IO_OK);
            EXPECT_EQ(in.CurChunkID(), 0x11);
            EXPECT_EQ(ReadAll(in), "wxyz");
            continue;
        }
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
    // At the top: a chunk longer than the data, a short header, no data.
    for (const Bytes& top :
         {Bytes{0x10, 0x00, 9, 0, 0, 0, 'a', 'b'}, Bytes{0x10, 0x00, 6, 0, 0}, Bytes{}}) {
        ChunkReader in(top.data(), top.size());
        EXPECT_EQ(in.OpenChunk(), IO_END) << top.size();
    }
}

// --- Scene file ---------------------------------------------------------------------------

// A map of the test's own with two references and a number of its own in one chunk.
constexpr Class_ID kLinkClassA(0x7E570001, 0x1);
constexpr Class_ID kLinkClassB(0x7E570002, 0x1);
constexpr USHORT kLinkNumberChunk = 0x0042;

class LinkMap : public testsupport::TestTexmap {
public:
    explicit LinkMap(Class_ID id) : classId(id) {}
    ~LinkMap() override { DeleteAllRefsFromMe(); }
    Class_ID ClassID() override { return classId; }
    int NumRefs() override { return 2; }
    ReferenceTarget* GetReference(int i) override { return i >= 0 && i < 2 ? refs[i] : nullptr; }
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
struct ScopedClassRegistration {
    explicit ScopedClassRegistration(ClassDesc2* cd) : desc(cd) {
        standalone::RegisterClassDesc(cd);
    }
    ~ScopedClassRegistration() { Forget(); }
    void Forget() { standalone::UnregisterClassDesc(desc); }
    ClassDesc2* desc;
};

LinkMap* NewLink(LinkMapDesc& desc, int32_t number) {
    auto* link = static_cast<LinkMap*>(static_cast<Texmap*>(desc.Create(FALSE)));
    link->number = number;
    return link;
}

LinkMap* AsLink(ReferenceTarget* t, Class_ID id = kLinkClassA) {
    return t && t->ClassID() == id ? static_cast<LinkMap*>(static_cast<Texmap*>(t)) : nullptr;
}

// A sky with one parameter changed, one animated and a name.
Texmap* NewEditedSky() {
    Texmap* sky = standalone::CreateProceduralSky();
    IParamBlock2* block = sky->GetParamBlock(0);
    block->SetValue(standalone::kSkySunElevation, 0, 45.0f);
    AnimateOn();
    block->SetValue(standalone::kSkySunIntensity, 3200, 800.0f);  // 5000 at 0
    AnimateOff();
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

TEST(SceneFileTest, SharedTargetsLoadAsOneObjectWithReferencesValuesAndKeys) {
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

    standalone::SceneRoot loadedRoot;
    std::string error;
    ASSERT_TRUE(
        standalone::LoadSceneFromBytes(standalone::SaveSceneToBytes(root), loadedRoot, &error))
        << error;
    ASSERT_EQ(loadedRoot.Count(), 2);
    LinkMap* loadedFirst = AsLink(loadedRoot.Get(0));
    ASSERT_NE(loadedFirst, nullptr);
    EXPECT_EQ(loadedFirst->number, 11);
    ASSERT_TRUE(IsSky(loadedRoot.Get(1)));
    auto* loadedSky = static_cast<Texmap*>(loadedRoot.Get(1));
    EXPECT_EQ(loadedFirst->refs[0], loadedSky);
    LinkMap* loadedSecond = AsLink(loadedFirst->refs[1]);
    ASSERT_NE(loadedSecond, nullptr);
    EXPECT_EQ(loadedSecond->number, 22);
    EXPECT_EQ(loadedSecond->refs[0], nullptr);
    EXPECT_EQ(loadedSecond->refs[1], loadedSky);
    EXPECT_EQ(loadedSky->GetDependents().size(), 3u);  // first, second and the root

    EXPECT_EQ(loadedSky->GetName(), u"Evening sky");
    IParamBlock2* block = loadedSky->GetParamBlock(0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(loadedSky->GetReference(0), block);
    EXPECT_EQ(SkyValue(loadedSky, standalone::kSkySunElevation, 0), 45.0f);
    // Halfway between the keys 5000 at 0 and 800 at 3200.
    EXPECT_EQ(SkyValue(loadedSky, standalone::kSkySunIntensity, 1600), 2900.0f);
}

TEST(SceneFileTest, ObjectsOfUnknownClassesAreDroppedAndTheRestLoads) {
    ScopedClassRegistration registrationA(&linkDescA);
    ScopedClassRegistration registrationB(&linkDescB);
    standalone::SceneRoot root;
    LinkMap* known = NewLink(linkDescA, 1);
    LinkMap* unknownInside = NewLink(linkDescB, 2);
    LinkMap* unknownRoot = NewLink(linkDescB, 3);
    Texmap* sky = NewEditedSky();
    known->ReplaceReference(0, unknownInside);
    known->ReplaceReference(1, sky);
    unknownInside->ReplaceReference(0, sky);
    unknownRoot->ReplaceReference(0, NewEditedSky());
    root.Add(unknownRoot);  // first, so that its sky comes before everything else
    root.Add(known);
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(root);
    registrationB.Forget();

    standalone::SceneRoot loadedRoot;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, loadedRoot, nullptr));
    ASSERT_EQ(loadedRoot.Count(), 1);
    LinkMap* loadedKnown = AsLink(loadedRoot.Get(0));
    ASSERT_NE(loadedKnown, nullptr);
    EXPECT_EQ(loadedKnown->number, 1);
    EXPECT_EQ(loadedKnown->refs[0], nullptr);
    ASSERT_TRUE(IsSky(loadedKnown->refs[1]));
    EXPECT_EQ(SkyValue(static_cast<Texmap*>(loadedKnown->refs[1]), standalone::kSkySunElevation, 0),
              45.0f);
    // The unknown root's sky belonged to nothing that loaded: it went with it (the leak checker
    // of the sanitised builds would report it otherwise).
}

TEST(SceneFileDamageTest, EveryTruncationAndEveryDamagedByteLoadsWithoutCrashing) {
    standalone::SceneRoot saved;
    saved.Add(NewEditedSky());
    const std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(saved);
    ASSERT_GT(bytes.size(), 100u);
    for (size_t at = 0; at < bytes.size(); ++at) {
        standalone::SceneRoot root;
        std::vector<unsigned char> prefix(bytes.begin(), bytes.begin() + std::ptrdiff_t(at));
        std::string error;
        const bool ok = standalone::LoadSceneFromBytes(prefix, root, &error);
        EXPECT_TRUE(!ok || at >= 10) << at;  // the 10-byte header chunk is the least scene file
        EXPECT_LE(root.Count(), 1) << at;
        for (unsigned char value : {0x00, 0xFF}) {
            std::vector<unsigned char> damaged = bytes;
            damaged[at] = value;
            standalone::SceneRoot damagedRoot;
            standalone::LoadSceneFromBytes(damaged, damagedRoot, nullptr);
            EXPECT_LE(damagedRoot.Count(), 1) << at;
        }
    }
    standalone::SceneRoot whole;
    ASSERT_TRUE(standalone::LoadSceneFromBytes(bytes, whole, nullptr));
    EXPECT_EQ(whole.Count(), 1);
}

}  // namespace
