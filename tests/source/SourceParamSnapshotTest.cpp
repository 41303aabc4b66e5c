// Copying a source map's simple parameters into records and writing them back.

#include "source/SourceParamSnapshot.h"

#include "support/MapTestSupport.h"
#include "support/NamedParamMap.h"

namespace {

using testsupport::NamedParamMap;
using testsupport::Notice;
using testsupport::RecordingDependent;

template <typename T>
T Read(NamedParamMap& map, int block, const wchar_t* name) {
    T value{};
    Interval valid = FOREVER;
    map.GetParamBlock(block)->GetValue(map.IdOf(block, name), 0, value, valid);
    return value;
}

NamedParamMap* MakeSource() {
    return new NamedParamMap(L"VRayBitmap", {{{L"multiplier", TYPE_FLOAT, 2.0f},
                                              {L"rotation", TYPE_ANGLE, 0.0f},
                                              {L"mapping_type", TYPE_INT, 3.0f},
                                              {L"HDRIMapName", TYPE_FILENAME},
                                              {L"label", TYPE_STRING},
                                              {L"tint", TYPE_RGBA}},
                                             {{L"offset", TYPE_POINT3}, {L"crop", TYPE_POINT4}}});
}

TEST(SourceParamSnapshot, EverySimpleKindRoundTripsAndOnlyMatchingBlocksIdsAndTypesAreWritten) {
    std::vector<Notice> log;
    NamedParamMap* source = MakeSource();
    RecordingDependent holder(log, source);
    IParamBlock2* b0 = source->GetParamBlock(0);
    IParamBlock2* b1 = source->GetParamBlock(1);
    b0->SetValue(source->IdOf(0, L"rotation"), 0, 1.5707964f);
    b0->SetValue(source->IdOf(0, L"HDRIMapName"), 0, L"sky.exr");
    b1->SetValue(source->IdOf(1, L"offset"), 0, Point3(1, 2, 3));
    b1->SetValue(source->IdOf(1, L"crop"), 0, Point4(0.1f, 0.2f, 0.9f, 1.0f));

    std::vector<SourceParamSnapshot> snapshot = CaptureSourceMapParams(source, 0);
    // The empty "label" cannot be read and the colour is not a simple kind: six records.
    ASSERT_EQ(snapshot.size(), 6u);
    EXPECT_EQ(snapshot[0].kind, SourceParamSnapshot::kFloat);
    EXPECT_EQ(snapshot[0].floatValue, 2.0f);
    EXPECT_FALSE(snapshot[0].isAngle);
    EXPECT_EQ(snapshot[1].kind, SourceParamSnapshot::kFloat);
    EXPECT_TRUE(snapshot[1].isAngle);
    EXPECT_FLOAT_EQ(snapshot[1].floatValue, 90.0f);
    EXPECT_EQ(snapshot[2].kind, SourceParamSnapshot::kInt);
    EXPECT_EQ(snapshot[2].intValue, 3);
    EXPECT_EQ(snapshot[3].kind, SourceParamSnapshot::kString);
    EXPECT_EQ(snapshot[3].stringValue, L"sky.exr");
    EXPECT_EQ(snapshot[4].paramBlockIndex, 1);
    EXPECT_EQ(snapshot[4].point3Value, Point3(1, 2, 3));
    EXPECT_EQ(snapshot[5].point4Value, Point4(0.1f, 0.2f, 0.9f, 1.0f));
    EXPECT_TRUE(CaptureSourceMapParams(nullptr, 0).empty());

    // Onto another map of the same class.
    NamedParamMap* other = MakeSource();
    RecordingDependent otherHolder(log, other);
    log.clear();
    ASSERT_TRUE(ApplySourceMapParams(other, 0, snapshot));
    EXPECT_EQ(CaptureSourceMapParams(other, 0), snapshot);
    EXPECT_EQ(Read<float>(*other, 0, L"rotation"), 1.5707964f);
    // Last, the change for every part, then the follow-up for part 0.
    ASSERT_GE(log.size(), 2u);
    const Notice &change = log[log.size() - 2], &followUp = log.back();
    EXPECT_TRUE(change.message == REFMSG_CHANGE && change.part == PART_ALL);
    EXPECT_TRUE(followUp.message == REFMSG_SUBANIM_STRUCTURE_CHANGED && followUp.part == 0);

    // A record of a block the map lacks is passed over.
    SourceParamSnapshot farBlock = snapshot[0];
    farBlock.paramBlockIndex = 3;
    farBlock.floatValue = 77.0f;
    snapshot.push_back(farBlock);
    // Another class: "multiplier" became an angle, "rotation" an integer, and the integer a
    // float; the file name sits where the same id is a string.
    auto* bitmap = new NamedParamMap(L"Bitmap",
                                     {{{L"gain", TYPE_ANGLE, 0.0f},
                                       {L"rotation", TYPE_INT, 5.0f},
                                       {L"mode", TYPE_FLOAT, 9.0f},
                                       {L"path", TYPE_STRING}}},
                                     Class_ID(0x7E570100, 2));
    RecordingDependent bitmapHolder(log, bitmap);
    ASSERT_TRUE(ApplySourceMapParams(bitmap, 0, snapshot));
    EXPECT_FLOAT_EQ(Read<float>(*bitmap, 0, L"gain"), 2.0f * 0.017453292f);  // degrees to radians
    EXPECT_EQ(Read<int>(*bitmap, 0, L"rotation"), 5);   // a float record never writes an integer
    EXPECT_EQ(Read<float>(*bitmap, 0, L"mode"), 9.0f);  // an integer record never writes a float
    EXPECT_STREQ(Read<const MCHAR*>(*bitmap, 0, L"path"), L"sky.exr");  // a file name fits a string
    EXPECT_EQ(bitmap->NumParamBlocks(), 1);

    // Nothing matches at all, or nothing to write: no notification.
    auto* unrelated = new NamedParamMap(L"Checker", {{{L"size", TYPE_POINT3}}});
    RecordingDependent unrelatedHolder(log, unrelated);
    std::vector<SourceParamSnapshot> ints(1);
    ints[0].kind = SourceParamSnapshot::kInt;
    EXPECT_FALSE(ApplySourceMapParams(unrelated, 0, ints));
    EXPECT_FALSE(ApplySourceMapParams(unrelated, 0, {}));
    EXPECT_FALSE(ApplySourceMapParams(nullptr, 0, snapshot));
    EXPECT_TRUE(testsupport::MessagesTo(log, unrelatedHolder).empty());
}

}  // namespace
