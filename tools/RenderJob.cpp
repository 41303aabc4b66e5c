#include "RenderJob.h"

#include "ContactSheet.h"
#include "DisplayImage.h"
#include "SlotRows.h"
#include "SlotSpheres.h"
#include "StagedFiles.h"

#include <algorithm>
#include <future>
#include <memory>
#include <new>
#include <thread>

namespace {

constexpr int kSkyWidth = 1024;
constexpr int kSkyHeight = 512;
constexpr int kThumbnailWidth = 256;
// PIZ compresses blocks of 32 rows; a band holds a block for each compression thread.
constexpr int kExrBlockRows = 32;
constexpr const char* kContactSheetName = "contact-sheet.png";

int ThreadCount(int requested) {
    if (requested > 0) {
        return requested;
    }
    return std::max(1, int(std::thread::hardware_concurrency()));
}

}  // namespace

std::string SlotFileStem(int slot) {
    std::string number = std::to_string(slot + 1);
    return "slot" + std::string(number.size() < 2 ? 1 : 0, '0') + number;
}

namespace {

RenderJobResult RunSteps(const RenderJobOptions& options, const RenderJobProgress& progress) {
    RenderJobResult result;
    int threads = ThreadCount(options.threads);
    UseImageThreads(threads);

    ToolScene scene;
    bool ready = options.sceneFileUse == SceneFileUse::Load
                     ? scene.Load(options.sceneFile, &result.error)
                     : scene.Build(options.setup, &result.error);
    if (!ready) {
        result.badCommandLine = scene.SetupRefused();
        return result;
    }
    int width = options.width, height = options.height;
    if (width <= 0 || height <= 0) {
        bool hasImage = scene.SourceInfo().width > 0;
        width = hasImage ? scene.SourceInfo().width : kSkyWidth;
        height = hasImage ? scene.SourceInfo().height : kSkyHeight;
    }

    // The scene file too appears whole or not at all, and its folder is checked before the
    // render rather than after it.
    std::filesystem::path sceneFolder = options.sceneFile.parent_path();
    StagedFiles sceneFiles(sceneFolder.empty() ? "." : sceneFolder);
    bool savesScene = options.sceneFileUse == SceneFileUse::Save;
    if (savesScene && !sceneFiles.Prepare(&result.error)) {
        return result;
    }
    StagedFiles outputs(options.outputFolder);
    if (!outputs.Prepare(&result.error)) {
        return result;
    }
    // Files are written under temporary names; a reason names the file as it is to be called.
    auto failWith = [&](const std::filesystem::path& file) {
        result.error = file.string() + ": " + result.error;
        return result;
    };

    int slots = scene.SlotCount();
    std::vector<ContactSheetTile> tiles;
    // A slot's preview and thumbnail are made while the next slot renders.
    struct PendingPreview {
        standalone::LatLongImage image;
        std::filesystem::path file;  // as it is to be called
        std::string error;
        std::future<bool> written;
        // However the job ends, the task is done with the image, its tile and its staged file
        // before they go.
        ~PendingPreview() {
            if (written.valid()) {
                written.wait();
            }
        }
    };
    std::unique_ptr<PendingPreview> pending;
    // A slot renders into the storage of an image already written: fresh memory for every slot
    // would cost as much in page faults as a slot's render.
    standalone::LatLongImage spare;
    auto finishPreview = [&] {
        bool ok = !pending || pending->written.get();
        if (!ok) {
            result.error = pending->file.string() + ": " + pending->error;
        } else if (pending) {
            spare = std::move(pending->image);
        }
        pending.reset();
        return ok;
    };
    // Without previews (or spheres) no slot needs its whole image: the source is looked up once
    // for all slots, in the memory that one slot's image would take, or band by band for one.
    std::unique_ptr<SharedSourceSlots> shared;
    if (!options.previews && !options.spheres && !options.perSample) {
        shared =
            std::make_unique<SharedSourceSlots>(*scene.Map(), width, height, 0, threads, slots);
        if (!shared->Ready()) {
            shared.reset();
        }
    }
    for (int s = 0; s < slots; ++s) {
        Texmap* output = scene.SlotOutput(s);
        if (!output) {
            result.error = "slot " + std::to_string(s + 1) + " has no output map";
            return result;
        }
        std::string stage = "slot " + std::to_string(s + 1) + " of " + std::to_string(slots);
        std::string stem = SlotFileStem(s);
        ExrRowWriter exr;
        if (!exr.Open(outputs.Stage(stem + ".exr"), width, height, options.exrFormat,
                      &result.error)) {
            return failWith(options.outputFolder / (stem + ".exr"));
        }
        bool exrFailed = false;
        const int bandRows = kExrBlockRows * std::max(threads, 2);
        auto report = [&](int rows) {
            if (progress) {
                progress(rows < height ? stage : stage + ", writing",
                         (double(s) + double(rows) / double(height)) / double(slots));
            }
        };
        auto rowsReady = [&](const standalone::LatLongImage& image, int rows) {
            report(rows);
            // Bands of rows are compressed while the rows below them still render.
            if (rows < height && rows - exr.RowsWritten() < bandRows) {
                return true;
            }
            exrFailed = !exr.WriteRows(image, rows, &result.error);
            return !exrFailed;
        };
        if (shared) {
            if (!shared->WriteSlot(s, exr, bandRows, report, &result.error) ||
                !exr.Close(&result.error)) {
                return failWith(options.outputFolder / (stem + ".exr"));
            }
            continue;
        }
        standalone::LatLongImage image =
            RenderSlotImage(*scene.Map(), s, *output, width, height, 0, threads, options.perSample,
                            rowsReady, std::move(spare));
        if (exrFailed || !exr.Close(&result.error)) {
            return failWith(options.outputFolder / (stem + ".exr"));
        }
        // A slot's spheres are drawn from its image beside its preview.
        std::optional<SlotSpheresFiles> spheres;
        if (options.spheres) {
            spheres = StageSlotSpheres(
                outputs, options.outputFolder, stem,
                options.previews ? std::optional(options.previewFormat) : std::nullopt);
        }
        std::filesystem::path spheresFailed;
        if (spheres && !options.previews &&
            !WriteSlotSpheres(image, *spheres, nullptr, &spheresFailed, &result.error)) {
            return failWith(spheresFailed);
        }
        if (!options.previews) {
            spare = std::move(image);
            continue;
        }
        if (!finishPreview()) {
            return result;
        }
        std::string name = stem + ImageFormatExtension(options.previewFormat);
        tiles.push_back({{}, scene.SlotName(s), scene.SlotDetails(s)});
        pending = std::make_unique<PendingPreview>();
        pending->image = std::move(image);
        pending->file = options.outputFolder / name;
        pending->written =
            std::async(std::launch::async, [preview = pending.get(), tile = &tiles.back(),
                                            file = outputs.Stage(name),
                                            format = options.previewFormat, spheres] {
                tile->image = MakeThumbnail(preview->image, kThumbnailWidth);
                const standalone::LatLongImage& image = preview->image;
                if (!spheres) {
                    // In place: the job holds at most two rendered images, this one and the
                    // next slot's.
                    const uint8_t* display = ToneMapInPlace(preview->image);
                    return WriteDisplayImageFile(file, format, image.width, image.height, display,
                                                 &preview->error);
                }
                // The spheres are drawn from the image on a thread of their own while the
                // preview is tone-mapped beside them, into bytes of its own, and written.
                DisplayImage balls;
                std::filesystem::path spheresFailed;
                std::string spheresError;
                std::vector<uint8_t> display(image.rgb.size());
                std::future<bool> drawn = std::async(std::launch::async, [&] {
                    return WriteSlotSpheres(image, *spheres, &balls, &spheresFailed, &spheresError);
                });
                ToneMapValues(image.rgb.data(), image.rgb.size(), display.data());
                const bool written = WriteDisplayImageFile(file, format, image.width, image.height,
                                                           display.data(), &preview->error);
                if (!drawn.get()) {
                    preview->file = spheresFailed;
                    preview->error = spheresError;
                    return false;
                }
                tile->image = BesideThumbnail(tile->image, balls);
                return written;
            });
    }
    if (progress && options.previews) {
        progress("writing previews", 1.0);
    }
    if (!finishPreview()) {
        return result;
    }
    if (options.previews) {
        std::string warning;
        if (!WriteContactSheet(outputs.Stage(kContactSheetName), tiles, &result.error, &warning)) {
            return failWith(options.outputFolder / kContactSheetName);
        }
        if (!warning.empty()) {
            result.warnings.push_back(warning);
        }
    }
    // Saved last, once everything else is written, so that a failed job changes no file.
    if (savesScene) {
        if (!scene.Save(sceneFiles.Stage(options.sceneFile.filename().string()), &result.error)) {
            return failWith(options.sceneFile);
        }
        if (!sceneFiles.Commit(&result.error)) {
            return result;
        }
    }
    if (!outputs.Commit(&result.error)) {
        return result;
    }
    result.written = outputs.Committed();
    result.ok = true;
    return result;
}

}  // namespace

RenderJobResult RunRenderJob(const RenderJobOptions& options, const RenderJobProgress& progress) {
    // An image too big for the memory left fails the job like any other reason; unwinding
    // takes the files written so far away.
    try {
        return RunSteps(options, progress);
    } catch (const std::bad_alloc&) {
        RenderJobResult result;
        result.error = "not enough memory for images of this size";
        return result;
    } catch (const std::exception& e) {
        RenderJobResult result;
        result.error = e.what();
        std::replace(result.error.begin(), result.error.end(), '\n', ' ');
        return result;
    }
}
