#pragma once

#include "batch/OutputPlan.h"
#include "common/Failure.h"

#include <cstdio>
#include <string>
#include <vector>

// The batch tool's run, from its command line to its exit status, apart from the process: main()
// hands it the arguments and the standard streams, a test its own files.
namespace batchrun {

constexpr const char* kProgram = "frt2dxf-batch";

// Where the run says what it has to say. Every word about a file has the one form
// "frt2dxf-batch: PATH: REASON", made safe for a terminal; summaries go to the output stream
// while it has a reader (`| head -1` ends reporting there, not the conversions).
class Reporter {
public:
    Reporter(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    // What went wrong and what became of the output, in the run's words.
    static std::string Reason(const Failure& failure);
    // "PATH: REASON", the one way a problem with a file is said.
    static std::string Said(const std::string& path, const std::string& reason);
    // "frt2dxf-batch: PATH: REASON\n".
    static std::string Line(const std::string& path, const std::string& reason);
    // "frt2dxf-batch: TEXT\n".
    static std::string Line(const std::string& text);
    // A job's failure said of the file the user named for it: the input for what was read or
    // refused, the output for the drawing, the picture's or the report's own file for those.
    static std::string PathBlamed(const Failure& failure, const BatchJob& job);

    void Problem(const std::string& path, const std::string& reason) const { Error(Line(path, reason)); }
    void Error(const std::string& text) const;
    void Output(const std::string& text);
    [[nodiscard]] std::FILE* ErrorStream() const { return m_err; }

private:
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_outOpen = true;
};

// Runs the batch tool with the arguments after the program's name; the exit status.
int Run(const std::vector<std::string>& args, Reporter& reporter);

} // namespace batchrun
