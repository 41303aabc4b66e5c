#pragma once
// The command-line tool's scene: one Zenithra map, made by the plug-in through its exports as the
// host makes it, over a source map of the standalone host, with the proxies that carry its slots
// to the renderer. Built from the command line, or loaded from a scene file of the host.

#include "ImageFiles.h"
#include "SlotAssignments.h"
#include "scene/StandaloneHost.h"

#include <imtl.h>

#include <filesystem>
#include <string>
#include <vector>

enum class SourceKind { Bitmap, VRayBitmap };

/// What a new scene is built from.
struct SceneSetup {
    std::filesystem::path sourceFile;  ///< .hdr or .exr; empty: the built-in procedural sky
    SourceKind sourceKind = SourceKind::Bitmap;
    int slotCount = 4;                        ///< 1 to 16
    std::vector<SlotAssignment> assignments;  ///< on top of the block's defaults
};

class ToolScene {
public:
    ToolScene() = default;
    ToolScene(const ToolScene&) = delete;
    ToolScene& operator=(const ToolScene&) = delete;

    /// A new map with the setup's slots and values over its source. The source file is checked
    /// first and must show an image once the source map has read it. False with a one-line
    /// reason; the scene is then unusable.
    bool Build(const SceneSetup& setup, std::string* error);
    /// Reads a scene file written by Save (through the host's scene file) and finds its map and
    /// source image, which must be readable. False with a one-line reason.
    bool Load(const std::filesystem::path& file, std::string* error);
    /// Writes the map, its source, its slots' proxies and the map's own data (slot exposures,
    /// lighting history) as the host's scene file. False with a one-line reason (which does not
    /// name the file).
    bool Save(const std::filesystem::path& file, std::string* error);

    /// The Zenithra map; null until Build or Load succeeded.
    Texmap* Map() const { return map; }
    int SlotCount();
    /// The proxy map of slot 0..SlotCount() - 1, the object a renderer samples for that slot.
    Texmap* SlotOutput(int slot);
    /// The name the plug-in gives the slot ("Zenithra:Slot 1"), UTF-8.
    std::string SlotName(int slot);
    /// The slot's values that differ from neutral (SlotValuesText), or "neutral"; UTF-8.
    std::string SlotDetails(int slot);
    /// True when Build failed for the setup's own values (a slot value the map refuses): a
    /// mistake on the command line rather than a failed job.
    bool SetupRefused() const { return setupRefused; }
    /// The source's image file, empty for a procedural source.
    const std::filesystem::path& SourceFile() const { return sourceFile; }
    /// The source image's size; zero for a procedural source.
    const SourceImageInfo& SourceInfo() const { return sourceInfo; }

private:
    /// Finds the source's file, probes it and checks that the source map shows it.
    bool CheckSource(std::string* error);

    standalone::SceneRoot root;
    Texmap* map = nullptr;
    bool setupRefused = false;
    std::filesystem::path sourceFile;
    SourceImageInfo sourceInfo;
};

/// The Windows path under which the host's maps name a file of this machine (drive Z: is the
/// root of the file system, as under Wine).
std::wstring HostPathOf(const std::filesystem::path& file);
