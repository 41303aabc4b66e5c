#include "CommandLine.h"

#include "core/ZenithraIds.h"

#include <charconv>

namespace {

constexpr int kMaxImageSide = 16384;

// The default map's four slots, so that a first run shows what the map does: neutral; warmer and
// a stop darker; cooler and desaturated; a sun disc where the built-in sky has its sun.
std::vector<SlotAssignment> SampleLooks() {
    return {{1, "slotExposure", "-1"},   {1, "slotTint", "#FFD8B0"},
            {2, "slotTint", "#C8DCFF"},  {2, "slotSaturation", "40"},
            {3, "slotSunSpotSize", "6"}, {3, "slotSunSpotHeight", "30"},
            {3, "slotSunExposure", "3"}};
}

bool ParseSize(const std::string& text, int& width, int& height) {
    size_t x = text.find('x');
    return x != std::string::npos && ParseInt(text.substr(0, x), 1, kMaxImageSide, width) &&
           ParseInt(text.substr(x + 1), 1, kMaxImageSide, height);
}

bool ParseRenderOptions(const std::vector<std::string>& args, size_t first, CommandLine& out,
                        std::string* error) {
    RenderJobOptions& options = out.render;
    bool setupGiven = false;  // anything that builds a new scene
    bool sourceKindGiven = false;
    for (size_t i = first; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        bool isFlag = arg == "--help" || arg == "-h" || arg == "--quiet" || arg == "-q" ||
                      arg == "--half" || arg == "--per-sample" || arg == "--spheres";
        if (isFlag && hasValue) {
            *error = arg + " takes no value";
            return false;
        }
        bool takesValue = arg == "--source" || arg == "--slots" || arg == "--set" ||
                          arg == "--size" || arg == "--threads" || arg == "--out" ||
                          arg == "--preview" || arg == "--scene" || arg == "--compression";
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (arg == "--help" || arg == "-h") {
            out.action = CommandLine::Action::ShowRenderHelp;
            return true;
        } else if (arg == "--quiet" || arg == "-q") {
            out.quiet = true;
        } else if (arg == "--spheres") {
            options.spheres = true;
        } else if (arg == "--source") {
            if (value != "bitmap" && value != "vraybitmap") {
                *error = "--source '" + value + "': expected bitmap or vraybitmap";
                return false;
            }
            options.setup.sourceKind =
                value == "bitmap" ? SourceKind::Bitmap : SourceKind::VRayBitmap;
            setupGiven = sourceKindGiven = true;
        } else if (arg == "--slots") {
            if (!ParseInt(value, 1, kMaxSlots, options.setup.slotCount)) {
                *error = "--slots '" + value + "': expected a number from 1 to " +
                         std::to_string(kMaxSlots);
                return false;
            }
            setupGiven = true;
        } else if (arg == "--set") {
            SlotAssignment assignment;
            if (!ParseSlotAssignment(value, assignment, error)) {
                return false;
            }
            options.setup.assignments.push_back(assignment);
            setupGiven = true;
        } else if (arg == "--size") {
            if (!ParseSize(value, options.width, options.height)) {
                *error = "--size '" + value + "': expected WIDTHxHEIGHT, each 1 to 16384";
                return false;
            }
        } else if (arg == "--threads") {
            if (!ParseInt(value, 1, 256, options.threads)) {
                *error = "--threads '" + value + "': expected a number from 1 to 256";
                return false;
            }
        } else if (arg == "--out") {
            if (value.empty()) {
                *error = "--out needs a folder";
                return false;
            }
            options.outputFolder = value;
        } else if (arg == "--preview") {
            options.previews = value != "none";
            if (value == "jpg" || value == "jpeg") {
                options.previewFormat = ImageFormat::Jpeg;
            } else if (value == "png") {
                options.previewFormat = ImageFormat::Png;
            } else if (value != "none") {
                *error = "--preview '" + value + "': expected jpg, png or none";
                return false;
            }
        } else if (arg == "--half") {
            options.exrFormat.half = true;
        } else if (arg == "--compression") {
            if (!ParseExrCompression(value, options.exrFormat.compression)) {
                *error = "--compression '" + value + "': expected piz, zip, dwaa or none";
                return false;
            }
        } else if (arg == "--per-sample") {
            options.perSample = true;
        } else if (arg == "--scene") {
            if (std::filesystem::path(value).filename().empty()) {
                *error = "--scene needs a file name";
                return false;
            }
            options.sceneFile = value;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            *error = "unknown option '" + arg + "'";
            return false;
        } else if (!options.setup.sourceFile.empty()) {
            *error = "one image file at most ('" + options.setup.sourceFile.string() + "' and '" +
                     arg + "')";
            return false;
        } else {
            options.setup.sourceFile = arg;
            setupGiven = true;
        }
    }
    if (!setupGiven && options.sceneFile.empty()) {
        options.setup.assignments = SampleLooks();
    }
    if (options.setup.sourceFile.empty() && sourceKindGiven) {
        *error = "--source needs an image file";
        return false;
    }
    if (!options.sceneFile.empty()) {
        options.sceneFileUse = setupGiven ? SceneFileUse::Save : SceneFileUse::Load;
    }
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string* error) {
    out = CommandLine();
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        out.action = CommandLine::Action::ShowHelp;
        return true;
    }
    if (IsLookDevCommand(args)) {
        return ParseLookDevCommand(args, out, error);
    }
    size_t first = 0;
    if (!args.empty() && args[0] == "render") {
        first = 1;
    } else if (!args.empty() && !args[0].empty() && args[0][0] != '-') {
        *error = "unknown command '" + args[0] + "' (to render an image: zenithra render " +
                 args[0] + ")";
        return false;
    }
    return ParseRenderOptions(args, first, out, error);
}

const char* GeneralHelpText() {
    return R"(usage: zenithra [COMMAND] [OPTIONS]

Shows the looks of a Zenithra environment map outside the host: every output slot of an HDR
environment rendered to image files through the plug-in itself, with the pixels a renderer
gets from it.

Commands:
  render    render every slot of a map to files (the command when none is given)
  info      an HDR image's size, range, exposure and sun (zenithra info IMAGE [--json])
  sheet     one contact sheet of every HDR image in a folder (zenithra sheet FOLDER)
  help      this text

Run 'zenithra render --help' for the options of render, and likewise for info and sheet. With
no arguments at all, zenithra renders four sample looks over the built-in sky into zenithra-out/:
neutral; warmer and a stop darker; cooler and desaturated; with a sun disc.
)";
}

const char* RenderHelpText() {
    return R"(usage: zenithra render [IMAGE] [--source bitmap|vraybitmap] [--slots N]
                       [--set SLOT.PARAM=VALUE ...] [--size WxH] [--threads N] [--out DIR]
                       [--preview jpg|png|none] [--half] [--compression piz|zip|dwaa|none]
                       [--scene FILE] [--per-sample] [--spheres] [--quiet]

Builds a Zenithra map over IMAGE (.hdr or .exr; without one, the built-in procedural sky),
renders every slot through its output map as a latitude-longitude environment and writes:
  DIR/slotNN.exr          linear, full range (32-bit float, PIZ), NN = 01, 02, ...
  DIR/slotNN.jpg or .png  tone-mapped preview
  DIR/contact-sheet.png   every slot side by side, with its name and its values
  DIR/slotNN-spheres.exr  with --spheres: a grey diffuse ball (albedo 0.18) and a chrome ball
                          lit by the slot, linear; also tone-mapped as slotNN-spheres.jpg/.png
The files appear together once all are written; after an error none of them is left behind.
At its own size, a neutral slot reproduces IMAGE pixel for pixel.

Options:
  --source KIND       the map that shows IMAGE: bitmap (default) or vraybitmap
  --slots N           slots of the map, 1 to 16 (default 4); each starts neutral. Without
                      IMAGE, --slots, --set and --scene: four sample looks
  --set SLOT.PARAM=VALUE
                      one slot's value, slots numbered from 1; may be repeated. PARAM is a
                      parameter of the map's slots: slotExposure (EV), slotContrast and
                      slotSaturation (percent, 100 neutral), slotHue (-1 to 1), slotTint,
                      slotSunTint (colours: #RRGGBB or r,g,b), slotSunExposure (EV),
                      slotSunSpotSize (degrees across, 0 to 90; 0 is no sun disc),
                      slotSunSpotHeight (degrees, 0 to 90); slotBrightPix is kept
                      with the slot but changes no pixel
  --size WxH          image size (default: the source image's own; 1024x512 for the sky)
  --threads N         render threads (default: one per core)
  --out DIR           output folder, made when missing (default: zenithra-out)
  --preview FORMAT    jpg (default) or png; none writes the EXR files alone
  --half              EXR files in 16-bit half floats instead of 32-bit floats
  --compression KIND  EXR compression: piz (default), zip, dwaa (lossy) or none
  --scene FILE        a scene file of the host holding the map, its slots, its source and its
                      lighting history. Given with IMAGE, --source, --slots or --set: the new
                      map is rendered and then saved to FILE (replacing it). Alone: the map is
                      loaded from FILE and rendered.
  --per-sample        evaluate every pixel through the slot's output map, one shading sample
                      at a time as a renderer does (the same pixels, slower)
  --spheres           also the slot's lit spheres, beside its thumbnail in the contact sheet:
                      a grey diffuse ball and a chrome ball lit only by the slot, seen looking
                      towards the image's centre
  -q, --quiet         no progress bar (drawn on stderr only when it is a terminal)
  -h, --help          this text

Examples:
  zenithra render studio.exr --slots 2 --set 2.slotExposure=1.5 --set 2.slotTint=#FFE0C0
  zenithra render studio.exr --set 1.slotSaturation=50 --scene studio.zscene --preview none
  zenithra render --scene studio.zscene --size 2048x1024 --out looks

Exit status: 0 when every file was written, 1 when the job failed, 2 for a mistake on the
command line (an option, or a --set the map refuses); errors are one line on stderr.
)";
}

bool ParseInt(const std::string& text, int low, int high, int& out) {
    int value = 0;
    auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || stop != text.data() + text.size() || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}
