#include "FolderSheet.h"

#include "ContactSheet.h"
#include "EnvironmentInfo.h"
#include "ImageFiles.h"
#include "StagedFiles.h"
#include "ToolScene.h"
#include "maps/HdrImage.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kCellWidth = 256;
constexpr int kCellHeight = 128;
constexpr uint8_t kGround = 31;      // the contact sheet's
constexpr uint8_t kUnreadable = 70;  // a grey cell where a file could not be shown

bool IsEnvironmentFile(const fs::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".hdr" || ext == ".exr";
}

// The thumbnail fitted into a cell, centred on the sheet's ground.
DisplayImage FitIntoCell(const standalone::LatLongImage& image) {
    int width = int(std::lround(double(kCellHeight) * image.width / std::max(image.height, 1)));
    DisplayImage thumb = MakeThumbnail(image, std::clamp(width, 1, kCellWidth));
    DisplayImage cell{kCellWidth, kCellHeight, {}};
    cell.rgb.assign(size_t(kCellWidth) * kCellHeight * 3, kGround);
    int left = (kCellWidth - thumb.width) / 2, top = (kCellHeight - thumb.height) / 2;
    for (int y = 0; y < std::min(thumb.height, kCellHeight); ++y) {
        std::copy_n(&thumb.rgb[size_t(y) * size_t(thumb.width) * 3],
                    size_t(std::min(thumb.width, kCellWidth)) * 3,
                    &cell.rgb[(size_t(top + y) * kCellWidth + size_t(left)) * 3]);
    }
    return cell;
}

// Holds decoded images within the budget: a file waits until its bytes fit beside those in use;
// one larger than the whole budget waits until it is alone.
class MemoryBudget {
public:
    explicit MemoryBudget(uint64_t bytes) : budget(bytes) {}
    void Acquire(uint64_t bytes) {
        std::unique_lock<std::mutex> lock(mutex);
        released.wait(lock, [&] { return inUse == 0 || inUse + bytes <= budget; });
        inUse += bytes;
    }
    void Release(uint64_t bytes) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            inUse -= bytes;
        }
        released.notify_all();
    }

private:
    uint64_t budget;
    uint64_t inUse = 0;
    std::mutex mutex;
    std::condition_variable released;
};

// One file's cell: what it holds, or why it cannot be shown.
ContactSheetTile MakeCell(const fs::path& file, MemoryBudget& budget) {
    ContactSheetTile tile{{}, file.filename().string(), {}};
    auto unreadable = [&](std::string reason) {
        // The name is the cell's label already.
        std::string prefix = file.string() + ": ";
        if (reason.rfind(prefix, 0) == 0) {
            reason.erase(0, prefix.size());
        }
        tile.image = {kCellWidth, kCellHeight, {}};
        tile.image.rgb.assign(size_t(kCellWidth) * kCellHeight * 3, kUnreadable);
        tile.details = "unreadable: " + reason;
        return tile;
    };
    SourceImageInfo probe;
    std::string error;
    if (!ProbeSourceImage(file, probe, &error)) {
        return unreadable(error);
    }
    uint64_t bytes = SheetFileBytes(probe.width, probe.height);
    budget.Acquire(bytes);
    struct Held {
        MemoryBudget& budget;
        uint64_t bytes;
        ~Held() { budget.Release(bytes); }
    } held{budget, bytes};
    try {
        standalone::HdrImage image;
        if (!standalone::LoadHdrImage(HostPathOf(file), image, &error)) {
            return unreadable(error);
        }
        EnvironmentStats stats = MeasureEnvironment(image.rgb.data(), image.width, image.height);
        tile.image = FitIntoCell({image.width, image.height, std::move(image.rgb)});
        char details[160];
        std::snprintf(details, sizeof details, "%d x %d, %.1f stops, %s, exposure %+.1f EV",
                      stats.width, stats.height, stats.dynamicRangeStops,
                      SunElevationText(stats.light).c_str(), stats.exposureEv);
        tile.details = details;
    } catch (const std::bad_alloc&) {
        return unreadable("not enough memory for an image of this size");
    } catch (const std::exception& e) {
        return unreadable(e.what());
    }
    return tile;
}

}  // namespace

uint64_t SheetFileBytes(int width, int height) {
    // The decoded floats (12 bytes a pixel), the reader's own copy of a file's channels while it
    // converts them (up to 12 more), and the luminance the measures keep (4).
    return uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0)) * 28;
}

SheetResult RunSheetJob(const SheetOptions& options, const SheetProgress& progress) {
    SheetResult result;
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(options.folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (IsEnvironmentFile(it->path()) && !it->is_directory()) {
            files.push_back(it->path());
        }
    }
    if (ec) {
        result.error = options.folder.string() + ": cannot list the folder: " + ec.message();
        return result;
    }
    if (files.empty()) {
        result.error = options.folder.string() + ": no .hdr or .exr files";
        return result;
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });

    int threads = options.threads > 0 ? options.threads
                                      : std::max(1, int(std::thread::hardware_concurrency()));
    threads = std::min(threads, int(files.size()));
    // Files are read side by side; each decodes on its own thread.
    UseImageThreads(1);
    MemoryBudget budget(options.memoryBudgetBytes);
    std::vector<ContactSheetTile> tiles(files.size());
    std::atomic<size_t> next{0};
    std::atomic<int> done{0};
    std::mutex progressMutex;
    auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) {
            tiles[i] = MakeCell(files[i], budget);
            int finished = ++done;
            if (progress) {
                std::lock_guard<std::mutex> lock(progressMutex);
                progress(finished, int(files.size()));
            }
        }
    };
    {
        std::vector<std::jthread> workers;
        for (int t = 1; t < threads; ++t) {
            workers.emplace_back(work);
        }
        work();
    }
    result.files = int(files.size());
    for (const ContactSheetTile& tile : tiles) {
        result.cells.push_back(tile.label + ": " + tile.details);
        result.unreadable += tile.details.rfind("unreadable: ", 0) == 0 ? 1 : 0;
    }

    fs::path output = options.output;
    if (output.empty()) {
        fs::path name = options.folder.filename().empty() ? options.folder.parent_path().filename()
                                                          : options.folder.filename();
        output = (name.empty() ? std::string("folder") : name.string()) + "-sheet.png";
    }
    StagedFiles staged(output.parent_path().empty() ? fs::path(".") : output.parent_path());
    if (!staged.Prepare(&result.error)) {
        return result;
    }
    if (!WriteContactSheet(staged.Stage(output.filename().string()), tiles, &result.error,
                           &result.warning) ||
        !staged.Commit(&result.error)) {
        result.error = output.string() + ": " + result.error;
        return result;
    }
    result.written = output;
    result.ok = true;
    return result;
}
