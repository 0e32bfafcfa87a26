#include "batch/OutputPlan.h"

#include "common/FileSystem.h"

#include <filesystem>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace outputplan {

namespace {

// The file a path names: its device and inode when it exists, else its absolute spelling with
// links and dots resolved as far as they exist.
std::string IdentityOf(const std::string& path) {
    const filesys::FileId id = filesys::IdOf(path);
    if (id.exists)
        return "file " + std::to_string(id.device) + ":" + std::to_string(id.inode);
    std::error_code ec;
    fs::path absolute = fs::absolute(filesys::PathOf(path), ec);
    const fs::path resolved = fs::weakly_canonical(absolute, ec);
    return "path " + filesys::TextOf(ec ? absolute.lexically_normal() : resolved);
}

} // namespace

std::string FindClash(const std::vector<BatchJob>& jobs) {
    std::map<std::string, const BatchJob*> inputs;
    for (const BatchJob& job : jobs)
        inputs.emplace(IdentityOf(job.input), &job);
    std::map<std::string, const BatchJob*> outputs;
    for (const BatchJob& job : jobs) {
        const std::string identity = IdentityOf(job.output);
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
    return {};
}

} // namespace outputplan
