// The standalone host's parameter blocks: keyed animation, tables, type checks and lock-free
// reads while the user-interface thread writes (saving is checked by the scene round trips).

#include "scene/HostParamBlock.h"

#include "support/MapTestSupport.h"

#include <cmath>
#include <memory>
#include <thread>

namespace {

enum TestParam : ParamID {
    kLevel = 0,    // animatable float, default 1.5
    kWeights = 2,  // animatable float table of 2, default 0.25
    kColours = 3,  // animatable point4 table of 1, default (1, 1, 1, 1)
    kFixed = 5,    // float that is not animatable, default 2
};

constexpr int kTab = P_ANIMATABLE | P_VARIABLE_SIZE;
// clang-format off
ParamBlockDesc2 testBlockDesc(
    7, L"testParams", 0, nullptr, 0,
    kLevel, L"level", TYPE_FLOAT, P_ANIMATABLE, 0, p_default, 1.5f, p_end,
    kWeights, L"weights", TYPE_FLOAT_TAB, 2, kTab, 0, p_default, 0.25f, p_end,
    kColours, L"colours", TYPE_POINT4_TAB, 1, kTab, 0, p_default, Point4(1, 1, 1, 1), p_end,
    kFixed, L"fixed", TYPE_FLOAT, 0, 0, p_default, 2.0f, p_end,
    p_end);
// clang-format on

struct BlockDeleter {
    void operator()(IParamBlock2* block) const { block->DeleteThis(); }
};
using BlockPtr = std::unique_ptr<IParamBlock2, BlockDeleter>;

BlockPtr NewBlock() {
    return BlockPtr(CreateParameterBlock2(&testBlockDesc, nullptr));
}

/// The value at t; `valid` (when given) narrowed to where it holds.
float FloatAt(IParamBlock2& block, ParamID id, TimeValue t, int tabIndex = 0,
              Interval* valid = nullptr) {
    float v = -999.0f;
    Interval forever = FOREVER;
    EXPECT_TRUE(block.GetValue(id, t, v, valid ? *valid : forever, tabIndex));
    return v;
}

Interval BlockValidity(IParamBlock2& block, TimeValue t) {
    Interval valid = FOREVER;
    block.GetValidity(t, valid);
    return valid;
}

std::vector<TimeValue> KeyTimes(IParamBlock2& block, ParamID id, int tabIndex = 0) {
    std::vector<TimeValue> times;
    if (Control* c = block.GetControllerByID(id, tabIndex)) {
        for (int i = 0; i < c->NumKeys(); ++i) {
            times.push_back(c->GetKeyTime(i));
        }
    }
    return times;
}

using Times = std::vector<TimeValue>;

// --- Keyed animation ---------------------------------------------------------------------

TEST(ParamBlockAnimationTest, KeyedWritesMakeALinearCurveWhoseValidityNarrowsToTheKeys) {
    BlockPtr block = NewBlock();
    EXPECT_EQ(BlockValidity(*block, 400), FOREVER);
    {
        testsupport::ScopedAnimateMode animate(true);
        // The first keyed write keys the old value (1.5) at 0 as well; a write at a key replaces
        // it.
        block->SetValue(kLevel, 1600, 4.0f);
        block->SetValue(kLevel, 1600, 6.0f);
        block->SetValue(kLevel, 3200, 0.0f);
        block->SetValue(kLevel, 800, 10.0f);
        block->SetValue(kColours, 1600, Point4(3, 5, 7, 9), 0);
        ASSERT_TRUE(block->SetValue(kFixed, 1600, 9.0f));  // not animatable: never keyed
    }
    EXPECT_EQ(KeyTimes(*block, kLevel), (Times{0, 800, 1600, 3200}));
    struct Case {
        TimeValue t;
        float level;
        Interval valid;
    };
    const Case cases[] = {
        {-4800, 1.5f, Interval(TIME_NegInfinity, 0)},  // held before the first key
        {400, 5.75f, Interval(400, 400)},              // halfway 1.5 .. 10
        {1200, 8.0f, Interval(1200, 1200)},            // halfway 10 .. 6
        {2000, 4.5f, Interval(2000, 2000)},            // a quarter of 6 .. 0
        {48000, 0.0f, Interval(3200, TIME_PosInfinity)},
    };
    for (const Case& c : cases) {
        Interval valid = FOREVER;
        EXPECT_FLOAT_EQ(FloatAt(*block, kLevel, c.t, 0, &valid), c.level) << c.t;
        EXPECT_EQ(valid, c.valid) << c.t;
        EXPECT_EQ(BlockValidity(*block, c.t), c.valid) << c.t;
    }
    Point4 v;
    Interval valid = FOREVER;
    ASSERT_TRUE(block->GetValue(kColours, 800, v, valid, 0));
    EXPECT_EQ(v, Point4(2, 3, 4, 5));  // per component
    valid = FOREVER;                   // not keyed: valid forever
    EXPECT_EQ(FloatAt(*block, kFixed, 400, 0, &valid), 9.0f);
    EXPECT_EQ(valid, FOREVER);

    // Unkeyed, a write at 800 (where the curve holds 10) moves every key by the difference.
    ASSERT_TRUE(block->SetValue(kLevel, 800, 11.0f));
    EXPECT_EQ(KeyTimes(*block, kLevel), (Times{0, 800, 1600, 3200}));
    EXPECT_FLOAT_EQ(FloatAt(*block, kLevel, 0), 2.5f);
    EXPECT_FLOAT_EQ(FloatAt(*block, kLevel, 3200), 1.0f);
}

// --- Tables, indices and types -----------------------------------------------------------

// Short tables are read past their count while slots are added; types are the caller's to match
// (the plug-in checks a parameter's type before it reads one by name).
TEST(ParamBlockTableTest, CountChangesKeepEntriesAndKeysAndAccessPastTheCountIsRefused) {
    BlockPtr block = NewBlock();
    ASSERT_EQ(block->Count(kWeights), 2);
    block->SetValue(kWeights, 0, 0.5f, 0);
    {
        testsupport::ScopedAnimateMode animate(true);
        block->SetValue(kWeights, 1600, 0.75f, 1);  // keys 0.25 at 0, 0.75 at 1600
    }
    block->SetCount(kWeights, 4);
    ASSERT_EQ(block->Count(kWeights), 4);
    EXPECT_EQ(FloatAt(*block, kWeights, 0, 0), 0.5f);
    EXPECT_EQ(KeyTimes(*block, kWeights, 1), (Times{0, 1600}));
    EXPECT_FLOAT_EQ(FloatAt(*block, kWeights, 800, 1), 0.5f);
    EXPECT_EQ(FloatAt(*block, kWeights, 0, 3), 0.25f);
    EXPECT_EQ(block->GetControllerByID(kWeights, 3), nullptr);

    block->SetCount(kWeights, 1);
    EXPECT_EQ(block->Count(kWeights), 1);
    EXPECT_EQ(FloatAt(*block, kWeights, 0, 0), 0.5f);
    block->SetCount(kWeights, 2);  // the dropped entry comes back as a default, unkeyed
    EXPECT_EQ(FloatAt(*block, kWeights, 1600, 1), 0.25f);
    EXPECT_EQ(block->GetControllerByID(kWeights, 1), nullptr);

    Interval valid = FOREVER;
    float f = -7.0f;
    Point4 p4(9, 9, 9, 9);
    const std::pair<const char*, bool> refused[] = {
        {"float past the count", block->GetValue(kWeights, 0, f, valid, 2)},
        {"negative index", block->GetValue(kWeights, 0, f, valid, -1)},
        {"point4 past the count", block->GetValue(kColours, 0, p4, valid, 1)},
        {"no such parameter", block->GetValue(ParamID(42), 0, f, valid)},
        {"write past the count", block->SetValue(kWeights, 0, 1.0f, 2)},
    };
    for (const auto& [what, answered] : refused) {
        EXPECT_FALSE(answered) << what;
    }
    EXPECT_TRUE(f == -7.0f && p4 == Point4(9, 9, 9, 9));
    EXPECT_EQ(block->Count(kWeights), 2);
    EXPECT_EQ(FloatAt(*block, kLevel, 0, 5), 1.5f);  // a parameter that is no table ignores it
    EXPECT_EQ(FloatAt(*block, kWeights, 0, 0), 0.5f);
}

// --- Concurrent readers ----------------------------------------------------------------------

// Render threads read while the user-interface thread resizes tables, writes values and adds
// keys; under ThreadSanitizer and AddressSanitizer a reader that follows a freed table or
// controller, or races with the writer, fails.
TEST(ParamBlockConcurrencyTest, ReadersSeeWholeValuesWhileOneWriterEdits) {
    BlockPtr block = NewBlock();
    constexpr int kReaders = 4;
    constexpr int kWrites = 1500;
    constexpr int kMaxReadPasses = 200000;
    std::atomic<bool> writerDone{false};
    std::atomic<int> badReads{0};
    std::atomic<long> goodReads{0};

    auto reader = [&](int seed) {
        long good = 0;
        // At least 100 passes, so that a reader started late on a busy machine still reads.
        for (int pass = 0; pass < kMaxReadPasses && (pass < 100 || !writerDone.load()); ++pass) {
            TimeValue t = TimeValue((pass + seed) % 40) * 80;
            Interval valid = FOREVER;
            int n = block->Count(kWeights);
            for (int i = 0; i <= n; ++i) {
                float f = 0.0f;
                if (block->GetValue(kWeights, t, f, valid, i)) {
                    good += std::isfinite(f) ? 1 : 0;
                    badReads += std::isfinite(f) ? 0 : 1;
                }
            }
            Point4 p;
            if (block->GetValue(kColours, t, p, valid, seed % 4)) {
                good += 1;
                badReads += std::isfinite(p.x + p.y + p.z + p.w) ? 0 : 1;
            }
            float level = 0.0f;
            badReads += block->GetValue(kLevel, t, level, valid) && std::isfinite(level) ? 0 : 1;
            if (Control* c = block->GetControllerByID(kLevel)) {
                for (int k = 1; k < c->NumKeys(); ++k) {
                    badReads += c->GetKeyTime(k - 1) < c->GetKeyTime(k) ? 0 : 1;
                }
            }
            block->GetValidity(t, valid);
        }
        goodReads += good;
    };
    std::vector<std::thread> readers;
    for (int r = 0; r < kReaders; ++r) {
        readers.emplace_back(reader, r);
    }

    for (int op = 0; op < kWrites; ++op) {
        int n = 1 + op % 16;
        block->SetCount(kWeights, n);
        block->SetCount(kColours, 1 + (op / 3) % 4);
        TimeValue t = TimeValue(op % 20) * 160;
        float value = float(op % 10);
        block->SetValue(kWeights, t, value, op % n);
        block->SetValue(kColours, t, Point4(value, value, value, 1), 0);
        if (op % 3 == 0) {
            testsupport::ScopedAnimateMode animate(true);
            block->SetValue(kLevel, t, value);
            block->SetValue(kWeights, t, value, n - 1);
        } else if (op % 3 == 1) {
            block->SetValue(kLevel, t, value);  // moves the curve, or sets the constant
        }
        if (op % 50 == 49) {
            block->RemoveController(block->IDtoIndex(kLevel), 0);
        }
    }
    writerDone.store(true);
    for (std::thread& th : readers) {
        th.join();
    }

    EXPECT_EQ(badReads.load(), 0);
    EXPECT_GT(goodReads.load(), 0);
    // What the last operation (op 1499) wrote: 12 weights, 9 into the new entry 11 unkeyed,
    // and the level's controller removed.
    EXPECT_EQ(block->Count(kWeights), 12);
    EXPECT_EQ(FloatAt(*block, kWeights, 3040, 11), 9.0f);
    EXPECT_EQ(block->GetControllerByID(kLevel), nullptr);
}

}  // namespace
