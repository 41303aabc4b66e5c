// The standalone host's image source maps (Bitmap, VRayBitmap) reading real .hdr and .exr files:
// where each direction looks in the image under rotations, offsets and angles, every EXR layout
// and the real environments as other readers read them, broken files, and files stepped under
// render threads.

#include "maps/BitmapMap.h"
#include "maps/HdrSourceMap.h"
#include "scene/HostLog.h"
#include "maps/VRayBitmapMap.h"

#include "platform/Platform.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestImages.h"

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfInputFile.h>
#include <OpenEXR/ImfOutputFile.h>
#include <OpenEXR/ImfTiledOutputFile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace {

using namespace testsupport;
using standalone::HdrSourceMap;

constexpr float kTolerance = 1e-4f;
constexpr float kHalfPiRadians = 1.5707964f;  // 90 degrees

struct MapDeleter {
    void operator()(Texmap* map) const { map->DeleteThis(); }
};
using MapPtr = std::unique_ptr<Texmap, MapDeleter>;

/// One of the two map classes, with the parameters that the tests set.
struct MapKind {
    const char* name;
    Texmap* (*create)();
    ParamID fileParam;
    ParamID rotationParam;
    float quarterTurn;  // in the rotation parameter's unit
};
const MapKind kBitmap{"Bitmap", &standalone::CreateBitmapMap, standalone::kBitmapFileName,
                      standalone::kBitmapUAngle, kHalfPiRadians};
const MapKind kVRayBitmap{"VRayBitmap", &standalone::CreateVRayBitmapMap,
                          standalone::kVRayHdriMapName, standalone::kVRayHorizontalRotation, 90};
const MapKind kBothKinds[] = {kBitmap, kVRayBitmap};

template <typename T>
void Set(Texmap& map, ParamID id, T value) {
    EXPECT_TRUE(map.GetParamBlock(0)->SetValue(id, 0, value)) << id;
}

MapPtr MapShowing(const MapKind& kind, const std::wstring& path) {
    MapPtr map(kind.create());
    Set(*map, kind.fileParam, path.c_str());
    return map;
}

/// The world direction that looks at the centre of pixel (column, row) of a grid-sized image
/// turned by rotationDegrees: image u is the host's spherical u shifted by (rotation - 90) / 360.
Point3 PixelCentreDirection(int column, int row, float rotationDegrees) {
    float u = (float(column) + 0.5f) / float(kGridWidth) + (90.0f - rotationDegrees) / 360.0f;
    float v = (float(row) + 0.5f) / float(kGridHeight);
    return standalone::DirectionFromUV(u - std::floor(u), v);
}

AColor Eval(Texmap& map, const Point3& worldDir, TimeValue t = 0) {
    standalone::EnvironmentSample sample(worldDir, t);
    return map.EvalColor(sample);
}

::testing::AssertionResult Near(const AColor& got, const AColor& want) {
    return ColorNear(got, want, kTolerance);
}

AColor Grid(int column, int row) {
    const Rgb c = GridPixel(column, row);
    return AColor(c.r, c.g, c.b, 1);
}

/// Every pixel centre of the grid image, looked at through an image turned by rotationDegrees.
void ExpectGrid(Texmap& map, const std::string& where, float rotationDegrees = 0) {
    for (int row = 0; row < kGridHeight; ++row) {
        for (int column = 0; column < kGridWidth; ++column) {
            EXPECT_TRUE(Near(Eval(map, PixelCentreDirection(column, row, rotationDegrees)),
                             Grid(column, row)))
                << where << " pixel (" << column << ", " << row << ")";
        }
    }
}

class SourceMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::CreateDirectories(drive.ScratchFolder()));
        standalone::ClearHostLog();
    }
    void TearDown() override { standalone::ClearHostLog(); }

    std::wstring Scratch(const std::wstring& name) const {
        return drive.ScratchFolder() + L"\\" + name;
    }
    /// `image` in the scratch folder as .hdr or .exr, as the name ends.
    std::wstring Write(const std::wstring& name, const TestImage& image) {
        EXPECT_TRUE(WriteImageFile(Scratch(name), image));
        return Scratch(name);
    }
    std::wstring GridHdr() { return Write(L"grid.hdr", GridImage()); }
    std::wstring GridExr() { return Write(L"grid.exr", GridImage()); }

    ScopedTestDrive drive;
};

// The grid as .hdr and .exr written here, and as EXR files OpenImageIO wrote (tests/data/exr):
// DWAA, DWAB, tiled, mip-mapped (the full-resolution level), the first of two RGBA parts.
TEST_F(SourceMapTest, EveryPixelCentreShowsItsColourForHdrAndEveryKindOfExrTurnedByRotation) {
    std::vector<std::wstring> files = {GridHdr(), GridExr()};
    for (const char* name : {"dwaa", "dwab-half", "tiled", "mipmap", "2parts-rgba"}) {
        files.push_back(
            platform::WindowsPathOf(ZENITHRA_TEST_DATA "/exr/grid-" + std::string(name) + ".exr"));
    }
    for (const MapKind& kind : kBothKinds) {
        for (const std::wstring& file : files) {
            const std::string where = std::string(kind.name) + " " + platform::WideToUtf8(file);
            standalone::ClearHostLog();
            MapPtr map = MapShowing(kind, file);
            Set(*map, kind.rotationParam, kind.quarterTurn);
            if (kind.create == kVRayBitmap.create) {
                Set(*map, standalone::kVRayURotation, 45.0f);  // only for map-channel mapping
            }
            ExpectGrid(*map, where, 90);
            EXPECT_TRUE(standalone::HostLogLines().empty()) << where;
        }
    }
}

// The real DWAB environments read as an independent reader (OpenImageIO) averaged them over
// 32 x 32 blocks (tests/data/environments), within a tenth of a half's step: DWA decoders may
// round a pixel one step apart.
TEST_F(SourceMapTest, RealEnvironmentsReadAsAnotherReaderReadsThem) {
    for (const std::string name : {"city", "courtyard", "forest", "sunrise", "sunset"}) {
        standalone::HdrImage image, means;
        ASSERT_TRUE(standalone::LoadHdrImage(
            platform::WindowsPathOf(ZENITHRA_ENVIRONMENTS "/" + name + ".exr"), image, nullptr));
        ASSERT_TRUE(standalone::LoadHdrImage(
            platform::WindowsPathOf(ZENITHRA_TEST_DATA "/environments/" + name + "-32x16.exr"),
            means, nullptr));
        ASSERT_EQ(std::pair(image.width, image.height), std::pair(means.width * 32, 512)) << name;
        int off = 0;
        for (size_t i = 0; i < means.rgb.size(); ++i) {
            const size_t x = i / 3 % 32, y = i / 96, c = i % 3;
            double sum = 0;
            for (size_t p = 0; p < 32 * 32; ++p) {
                sum += image.rgb[((y * 32 + p / 32) * 1024 + x * 32 + p % 32) * 3 + c];
            }
            off += std::abs(sum / 1024 - means.rgb[i]) > 1e-4 * std::max(1.0f, means.rgb[i]);
        }
        EXPECT_EQ(off, 0) << name;
    }
}

// Every compression, half and float channels, scan lines and tiles, with partial last chunks
// and tiles and a data window away from the origin (luminance alone spread as grey): the same
// floats as the image library's frame-buffer reader gives.
TEST_F(SourceMapTest, EveryExrLayoutReadsAsTheFrameBufferReaderReadsIt) {
    const Imath::Box2i window({5, -3}, {41, 49});  // 37 x 53
    std::vector<float> written(37 * 53 * 3), expected(written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        written[i] = std::ldexp(float(i % 977) + 0.3f, int(i % 11) - 5);
    }
    std::vector<half> halves(written.begin(), written.end());
    const std::string file = NativePath(Scratch(L"layout.exr")).string();
    for (int compression = 0; compression < Imf::NUM_COMPRESSION_METHODS; ++compression) {
        for (const auto& [type, tiled, channels] : {std::tuple(Imf::HALF, false, "RGB"),
                                                    {Imf::FLOAT, false, "RGB"},
                                                    {Imf::FLOAT, true, "RGB"},
                                                    {Imf::HALF, true, "Y"}}) {
            SCOPED_TRACE(testing::Message() << compression << channels << tiled << type);
            Imf::Header header(window, window);
            header.compression() = Imf::Compression(compression);
            // Written in the channels' own type, read back as floats.
            auto frameOf = [&](void* rgb, Imf::PixelType as) {
                Imf::FrameBuffer frame;
                const size_t size = as == Imf::HALF ? sizeof(half) : sizeof(float);
                for (const char* c = channels; *c; ++c) {
                    const char name[2] = {*c, 0};
                    header.channels().insert(name, Imf::Channel(type));
                    frame.insert(
                        name, Imf::Slice::Make(as, static_cast<char*>(rgb) + (c - channels) * size,
                                               window, 3 * size, 3 * size * 37));
                }
                return frame;
            };
            const Imf::FrameBuffer frame = frameOf(
                type == Imf::HALF ? static_cast<void*>(halves.data()) : written.data(), type);
            if (tiled) {
                header.setTileDescription(Imf::TileDescription(16, 16));
                Imf::TiledOutputFile out(file.c_str(), header);
                out.setFrameBuffer(frame);
                out.writeTiles(0, out.numXTiles() - 1, 0, out.numYTiles() - 1);
            } else {
                Imf::OutputFile out(file.c_str(), header);
                out.setFrameBuffer(frame);
                out.writePixels(53);
            }
            Imf::InputFile in(file.c_str());
            in.setFrameBuffer(frameOf(expected.data(), Imf::FLOAT));
            in.readPixels(window.min.y, window.max.y);
            for (size_t i = 0; *channels == 'Y' && i < expected.size(); i += 3) {
                expected[i + 1] = expected[i + 2] = expected[i];
            }
            standalone::HdrImage image;
            ASSERT_TRUE(standalone::LoadHdrImage(Scratch(L"layout.exr"), image, nullptr));
            EXPECT_TRUE(image.width == 37 && std::ranges::equal(expected, image.rgb));
        }
    }
}

TEST_F(SourceMapTest, BrokenFilesEvaluateBlackLogOneLinePerLoadAttemptAndLoadOnceRepaired) {
    auto overwrite = [&](const std::wstring& path, std::streamoff offset, std::ios::seekdir dir,
                         int count) {
        std::fstream f(NativePath(path), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(offset, dir);
        f.write(std::string(size_t(count), '\xA5').data(), count);
    };
    // 48 bytes fewer cut into the run-length encoded pixels but keep the header.
    const std::wstring truncated = Write(L"truncated.hdr", GridImage());
    std::filesystem::resize_file(NativePath(truncated),
                                 std::filesystem::file_size(NativePath(truncated)) - 48);
    // One colour compresses well, so that the tail is the end of a zlib stream with its checksum
    // (EXR keeps chunks that would not shrink uncompressed, and without checksum).
    const std::wstring pixels = Write(L"pixels.exr", UniformImage(64, 32, 1, 2, 3));
    overwrite(pixels, -16, std::ios::end, 16);
    const std::wstring header = Write(L"header.exr", GridImage());
    overwrite(header, 8, std::ios::beg, 32);  // the first attribute after the magic number
    const std::wstring text = Scratch(L"text.exr"), empty = Scratch(L"empty.hdr");
    std::ofstream(NativePath(text)) << "not an image\n";
    std::ofstream(NativePath(empty)).flush();
    for (const std::wstring& path :
         {Scratch(L"missing.hdr"), truncated, pixels, header, text, empty}) {
        for (const MapKind& kind : kBothKinds) {
            const std::string where = std::string(kind.name) + ", " + platform::WideToUtf8(path);
            standalone::ClearHostLog();
            MapPtr map = MapShowing(kind, path);
            EXPECT_FALSE(dynamic_cast<HdrSourceMap&>(*map).HasImage()) << where;
            EXPECT_TRUE(Eval(*map, PixelCentreDirection(2, 1, 0)) == kOpaqueBlack) << where;
            Interval valid = FOREVER;
            map->Update(0, valid);  // unchanged, the file is not read again
            std::vector<std::string> lines = standalone::HostLogLines();
            ASSERT_EQ(lines.size(), 1u) << where;
            EXPECT_NE(lines[0].find(kind.name), std::string::npos) << lines[0];
            EXPECT_NE(lines[0].find(platform::WideToUtf8(path)), std::string::npos) << lines[0];
            EXPECT_EQ(lines[0].find('\n'), std::string::npos) << "one line: " << lines[0];
        }
    }
    // Written whole again, the file shows once LoadMapFiles reads it (the refresh after a source
    // change relies on that).
    MapPtr map = MapShowing(kBitmap, truncated);
    Write(L"truncated.hdr", GridImage());
    map->LoadMapFiles(0);
    EXPECT_TRUE(Near(Eval(*map, PixelCentreDirection(2, 1, 0)), Grid(2, 1)));
}

// Render threads sample while the file name steps through twenty images, every other one read
// again as well: each sample sees one whole image, and once every thread has begun another
// sample only the image shown is held.
TEST_F(SourceMapTest, FilesSteppedAndReloadedUnderRenderThreadsShowWholeImagesAndKeepOne) {
    std::vector<std::wstring> files;
    for (int i = 1; i <= 20; ++i) {
        files.push_back(Write(L"step" + platform::Utf8ToWide(std::to_string(i)) + L".hdr",
                              UniformImage(16, 8, float(i), 1, 1)));
    }
    const int before = HdrSourceMap::HeldImageCount();
    const Point3 d(0.3f, -1, 0.2f);
    for (const MapKind& kind : kBothKinds) {
        MapPtr map = MapShowing(kind, files[0]);
        std::atomic<bool> stop{false};
        std::atomic<int> samples{0}, torn{0};
        std::vector<std::jthread> renderers;
        for (int r = 0; r < 3; ++r) {
            renderers.emplace_back([&] {
                for (; !stop.load(); samples.fetch_add(1)) {
                    const AColor c = Eval(*map, d);
                    torn.fetch_add(c.r < 1 || c.r != std::floor(c.r) || c.g != 1 || c.b != 1);
                }
            });
        }
        while (samples.load() < 100) {  // the file changes while the render threads sample
            std::this_thread::yield();
        }
        for (size_t i = 1; i < files.size(); ++i) {
            Set(*map, kind.fileParam, files[i].c_str());
            if (i % 2 == 0) {
                dynamic_cast<HdrSourceMap&>(*map).Reload();
            }
        }
        Interval valid = FOREVER;
        for (int wait = 0; wait < 5000 && HdrSourceMap::HeldImageCount() > before + 1; ++wait) {
            map->Update(0, valid);
            platform::SleepMilliseconds(1);
        }
        EXPECT_EQ(HdrSourceMap::HeldImageCount(), before + 1) << kind.name;
        stop.store(true);
        renderers.clear();
        EXPECT_EQ(torn.load(), 0) << kind.name;
        EXPECT_TRUE(Near(Eval(*map, d), AColor(20, 1, 1, 1))) << kind.name << ", the last file";
        map.reset();
        EXPECT_EQ(HdrSourceMap::HeldImageCount(), before) << kind.name;
    }
}

}  // namespace
