#pragma once
// Files of one run that appear together or not at all. Each is written under a temporary name
// beside its final one (hidden, ending in ".partial"); Commit renames them all into place at the
// end, and a run that fails or ends early removes them, so that no half-written file is ever
// left under a final name and files of an earlier run stay as they were.

#include <filesystem>
#include <string>
#include <vector>

class StagedFiles {
public:
    explicit StagedFiles(std::filesystem::path folder) : folder(std::move(folder)) {}
    /// Removes the files not committed.
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    /// Creates the folder when missing and checks that a file can be made in it. False with a
    /// one-line reason.
    bool Prepare(std::string* error);
    /// The temporary path to write the file `name` (a name inside the folder) to.
    std::filesystem::path Stage(const std::string& name);
    /// Renames every staged file to its final name, in the order staged. False with a one-line
    /// reason when one cannot be renamed; the ones not yet renamed are then removed.
    bool Commit(std::string* error);
    /// The final paths committed so far.
    const std::vector<std::filesystem::path>& Committed() const { return committed; }
    /// Removes the files not committed.
    void Discard();

private:
    struct Staged {
        std::filesystem::path temporary, final;
    };
    std::filesystem::path folder;
    std::vector<Staged> staged;
    std::vector<std::filesystem::path> committed;
};
