#pragma once

#include "common/AtomicFile.h"
#include "common/Failure.h"

#include <string>
#include <vector>

// One conversion the batch tool is asked for.
struct BatchJob {
    std::string input;  // as the user named it; "-" is standard input
    std::string output; // as the user named it; "-" is standard output
    std::string target; // the file it leads to, links followed (see PlannedTarget)
    std::string source; // the file read: the input, or the copy of standard input
    // The input of an earlier job whose drawing's name is this one's but for case, on a disk that
    // ignores case: both would be one file.
    std::string caseTwinOf;
};

// The name of standard input and output on the command line: the writer's own.
constexpr const char* kStandardStream = AtomicFile::kStandardOutput;

namespace outputplan {

// The file writing to `output` reaches: links followed, dangling ones and chains too; a device or
// pipe (/dev/stdout) and standard output ("-") stay as named, as they are written straight into.
std::string PlannedTarget(const std::string& output);

// A file the run writes besides the drawings (the report, the preview), by its option; an empty
// path when it is not asked for.
struct SideFile {
    const char* option;
    std::string path;
};

// Checks, before anything is written, that no planned output is an input or another job's output,
// and no side file an input, a drawing or another side file: the same file whatever the spelling
// (links, also dangling ones, "./", "..") counts, and only one thing may go to standard output
// ("-"). Returns the first clash as a message naming both paths, or empty.
std::string FindClash(const std::vector<BatchJob>& jobs, const std::vector<SideFile>& sideFiles = {});

// Notes each job whose target is an earlier job's but for case, in a folder on a disk that ignores
// case (exFAT, FAT, NTFS, shares mounted on Linux): asked of the disk, one small file made and
// removed in each such folder.
void MarkCaseTwins(std::vector<BatchJob>& jobs);

// Empty when the output still leads to its planned target; else why nothing may be written.
std::string Moved(const BatchJob& job);

// Whether a job goes ahead, found right before its input is converted: the input is a survey,
// the output's folder is there and its link still leads where it did, and the output is not to be
// kept as asked (--no-clobber, --update).
struct JobCheck {
    Failure failure;   // what stops it, of the input or the output as its path says
    bool skip = false; // stopped as asked: said as a failure is, but no failure
};
struct KeepOutputs {
    bool existing = false; // --no-clobber
    bool newer = false;    // --update: one as new as its input
};
JobCheck CheckJob(const BatchJob& job, KeepOutputs keep);

} // namespace outputplan
