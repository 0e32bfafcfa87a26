#include "batch/OutputPlan.h"

#include "common/CodePage.h"
#include "common/FileSystem.h"
#include "common/Letters.h"
#include "common/Utf8.h"
#include "frt/FrtHeader.h"

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

// The name with its letters' case folded, as such disks compare names (closely enough to tell
// which names may be one).
std::string Folded(const std::string& name) {
    std::string folded;
    for (std::size_t at = 0; at < name.size();) {
        const std::string_view rest = std::string_view(name).substr(at);
        const std::size_t length =
            static_cast<unsigned char>(name[at]) < 0x80 ? 0 : utf8::SequenceLength(rest);
        utf8::Append(folded, letters::FoldCase(length == 0 ? static_cast<unsigned char>(name[at])
                                                           : codepage::CodePoint(rest, length)));
        at += length == 0 ? 1 : length;
    }
    return folded;
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

void MarkCaseTwins(std::vector<BatchJob>& jobs) {
    std::map<std::string, const BatchJob*> byFolded;
    std::map<std::string, bool> ignoresCase; // by folder
    for (BatchJob& job : jobs) {
        if (job.target == kStandardStream)
            continue;
        const fs::path target = filesys::PathOf(job.target);
        const std::string folder = filesys::TextOf(target.parent_path());
        const std::string name = filesys::TextOf(target.filename());
        const auto [earlier, added] = byFolded.emplace(folder + "/" + Folded(name), &job);
        if (added || filesys::TextOf(filesys::PathOf(earlier->second->target).filename()) == name)
            continue;
        const auto known = ignoresCase.find(folder);
        const bool ignores =
            known != ignoresCase.end() ? known->second : (ignoresCase[folder] = filesys::IgnoresCase(folder));
        if (ignores)
            job.caseTwinOf = earlier->second->input;
    }
}

std::string Moved(const BatchJob& job) {
    if (PlannedTarget(job.output) == job.target)
        return {};
    return "now leads to another file than when the run began (a link was changed); nothing was written";
}

namespace {

// Why the input cannot be converted: it is no readable file, or no survey for this export.
Failure InputProblem(const std::string& input, const std::string& source) {
    const auto failed = [&input](std::error_code error, std::string detail = {}) {
        return Failure(Failure::Stage::Open, input, error, std::move(detail));
    };
    std::error_code ec;
    const fs::file_status status = fs::status(filesys::PathOf(source), ec);
    if (ec)
        return failed(ec);
    if (fs::is_directory(status))
        return failed(std::make_error_code(std::errc::is_a_directory));
    if (!fs::is_regular_file(status))
        return failed({}, "not a regular file");
    if (const ErrorOr<filesys::FilePtr> probe = filesys::OpenFile(source, "rb"); !probe)
        return failed(probe.error());
    switch (frtheader::CheckFrtHeader(source)) {
    case FRT_FORMAT_DXF:
        return {};
    case FRT_FORMAT_SHP:
        return {Failure::Stage::Read, input,
                R"(not an FRT file for DXF export (header names "Raz2Azi", not "Rev2Ezi"))"};
    case FRT_FORMAT_NONE:
        break;
    }
    return {Failure::Stage::Read, input,
            "not an FRT file for DXF export (header with Format=Rev2Ezi not found)"};
}

} // namespace

JobCheck CheckJob(const BatchJob& job, KeepOutputs keep) {
    JobCheck check;
    if ((check.failure = InputProblem(job.input, job.source)))
        return check;
    if (job.target == kStandardStream)
        return check;
    // Known now, so that the input is not converted for nothing; the commit checks again.
    const filesys::FileState existing = filesys::StateOf(job.target);
    const auto skip = [&](std::string why) {
        check.failure = Failure(Failure::Stage::Write, job.output, std::move(why));
        check.skip = true;
        return check;
    };
    if (keep.existing && existing.exists)
        return skip(std::generic_category().message(EEXIST) + "; skipped (--no-clobber)");
    if (keep.newer && existing.exists && job.input != kStandardStream &&
        filesys::ModifiedAfter(existing, filesys::StateOf(job.source)))
        return skip("up to date with " + job.input + "; skipped (--update)");
    const fs::path folder = filesys::PathOf(job.target).parent_path();
    std::error_code ec;
    if (!folder.empty() && !fs::is_directory(folder, ec))
        check.failure = Failure(Failure::Stage::Write, job.output,
                                "the output's folder " + filesys::TextOf(folder) + " does not exist");
    else if (std::string moved = Moved(job); !moved.empty())
        check.failure = Failure(Failure::Stage::Write, job.output, std::move(moved));
    return check;
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
