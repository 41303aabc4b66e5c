#include "StagedFiles.h"

#include <fstream>
#include <system_error>

#include <unistd.h>

namespace {

// Hidden, and unique to the process, so that two runs into one folder do not meet.
std::string TemporaryName(const std::string& name) {
    return "." + name + "." + std::to_string(::getpid()) + ".partial";
}

}  // namespace

StagedFiles::~StagedFiles() {
    Discard();
}

bool StagedFiles::Prepare(std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec)) {
        *error = "cannot make the folder " + folder.string() + ": " +
                 (ec ? ec.message() : std::string("a file of that name is in the way"));
        return false;
    }
    std::filesystem::path probe = folder / TemporaryName("write-check");
    bool writable = std::ofstream(probe, std::ios::binary).good();
    std::filesystem::remove(probe, ec);
    if (!writable) {
        *error = "cannot write to the folder " + folder.string();
        return false;
    }
    return true;
}

std::filesystem::path StagedFiles::Stage(const std::string& name) {
    staged.push_back({folder / TemporaryName(name), folder / name});
    return staged.back().temporary;
}

bool StagedFiles::Commit(std::string* error) {
    // A final name that cannot be replaced (a folder stands there) fails the whole set before
    // any file is put in place.
    for (const Staged& s : staged) {
        std::error_code ec;
        if (std::filesystem::is_directory(s.final, ec)) {
            *error = "cannot put " + s.final.string() + " in place: a folder of that name is there";
            Discard();
            return false;
        }
    }
    std::vector<Staged> pending;
    pending.swap(staged);
    for (size_t i = 0; i < pending.size(); ++i) {
        std::error_code ec;
        std::filesystem::rename(pending[i].temporary, pending[i].final, ec);
        if (ec) {
            *error = "cannot put " + pending[i].final.string() + " in place: " + ec.message();
            staged.assign(pending.begin() + long(i), pending.end());
            Discard();
            return false;
        }
        committed.push_back(pending[i].final);
    }
    return true;
}

void StagedFiles::Discard() {
    for (const Staged& s : staged) {
        std::error_code ec;
        std::filesystem::remove(s.temporary, ec);
    }
    staged.clear();
}
