#include "batch/OutputPlan.h"

#include "common/FileSystem.h"

#include <filesystem>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace outputplan {

namespace {

std::string FileIdentity(const filesys::FileState& state) {
    return "file " + std::to_string(state.device) + ":" + std::to_string(state.inode);
}

// The file a path names: its device and inode when it exists, else its absolute spelling with
// links and dots resolved, compared as the file system compares names.
std::string IdentityOf(const std::string& path) {
    const filesys::FileState state = filesys::StateOf(path);
    if (state.exists)
        return FileIdentity(state);
    return "path " + filesys::PathKey(filesys::ResolveLinks(path));
}

// A standard stream that is a file (`< x.frt`, `>> log`) is that file; else a place of its own.
std::string StreamIdentity(filesys::StandardStream stream, const char* name) {
    const filesys::FileState state = filesys::StateOf(stream);
    return state.exists ? FileIdentity(state) : name;
}

} // namespace

std::string PlannedTarget(const std::string& output) {
    // Standard output's own file is fed like standard output, never replaced.
    if (output == kStandardStream || filesys::NamesStandardStream(output, filesys::StandardStream::Output) ||
        filesys::IsStandardStreamFile(output, filesys::StandardStream::Output))
        return kStandardStream;
    std::error_code ec;
    const fs::file_status status = fs::status(filesys::PathOf(output), ec);
    if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status))
        return output;
    return filesys::ResolveLinks(output);
}

std::string Moved(const BatchJob& job) {
    if (PlannedTarget(job.output) == job.target)
        return {};
    return "now leads to another file than when the run began (a link was changed); nothing was written";
}

std::string FindClash(const std::vector<BatchJob>& jobs, const std::vector<SideFile>& sideFiles) {
    // Standard output is one place too: two things written there would mix.
    const std::string outputStream = StreamIdentity(filesys::StandardStream::Output, "standard output");
    std::map<std::string, const BatchJob*> inputs;
    for (const BatchJob& job : jobs) {
        inputs.emplace(IdentityOf(job.source), &job);
        // Standard input is read from a copy, but the file behind it is the input all the same.
        if (job.input == kStandardStream)
            inputs.emplace(StreamIdentity(filesys::StandardStream::Input, "standard input"), &job);
    }
    std::map<std::string, const BatchJob*> outputs;
    for (const BatchJob& job : jobs) {
        const std::string identity = job.target == kStandardStream ? outputStream : IdentityOf(job.target);
        if (const auto input = inputs.find(identity); input != inputs.end()) {
            if (input->second == &job)
                return job.output + ": the output would replace its own input; choose another with --output";
            return job.output + ": the output of " + job.input + " would replace the input " +
                   input->second->input;
        }
        if (const auto [other, added] = outputs.emplace(identity, &job); !added)
            return job.output + ": " + job.input + " and " + other->second->input +
                   " would both be written there";
    }
    std::map<std::string, const char*> sides; // identity -> the option that writes there
    for (const SideFile& side : sideFiles) {
        if (side.path.empty())
            continue;
        const std::string identity = side.path == kStandardStream ? outputStream : IdentityOf(side.path);
        const std::string clash = side.path + ": " + side.option + " would replace ";
        if (const auto input = inputs.find(identity); input != inputs.end())
            return clash + "the input " + input->second->input;
        if (const auto output = outputs.find(identity); output != outputs.end())
            return clash + "the drawing of " + output->second->input;
        if (const auto [other, added] = sides.emplace(identity, side.option); !added)
            return clash + other->second + "'s file";
    }
    return {};
}

} // namespace outputplan
