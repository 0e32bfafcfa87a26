#pragma once

#include "batch/BatchCommandLine.h"
#include "common/AtomicFile.h"
#include "export/ExportRun.h"

#include <cstdint>
#include <string>
#include <string_view>

// The --report file: one JSON object, {"program", "version", "options", "files", "summary"},
// with one object per input in "files", in input order, written as the inputs are done and put
// in place whole at the end (see the README for its fields).
namespace runreport {

// What became of the inputs of a run.
struct Summary {
    std::size_t converted = 0; // or, in a dry run, read and checked
    std::size_t skipped = 0;
    std::size_t failed = 0;
    std::uint64_t warnings = 0;
};

// Appends the text as a JSON string: quotes, backslashes and control characters escaped, bytes
// that are no UTF-8 as U+FFFD.
void AppendString(std::string& out, std::string_view text);

// The choices of the run, as the "options" object.
std::string Options(const ExportSettings& settings, const BatchRequest& request);

// One input's object. `status` is "ok", "skipped" or "failed"; a failed input names no output.
std::string FileEntry(const std::string& input, const std::string& output, std::string_view status,
                      const ConversionResult& result, const std::string& message, const std::string& warnings,
                      double seconds);

// One finding for the "warnings" array of an entry (objects separated by commas).
void AppendWarning(std::string& out, std::uint64_t line, std::string_view key, std::string_view value,
                   std::string_view problem);

class Writer {
public:
    explicit Writer(const std::string& path, bool sync = true) : m_file(path) {
        if (!sync)
            m_file.SkipSync();
    }
    // Creates the file and writes the run's program, version and options; false with Error()
    // when that is not possible.
    [[nodiscard]] bool Open(const std::string& version, const std::string& options);
    void Add(const std::string& entry);
    // Ends the files with the summary and puts the file in place; false with Error().
    [[nodiscard]] bool Finish(const Summary& summary);
    [[nodiscard]] Failure Error() const { return m_file.Error(); }

private:
    AtomicFile m_file;
    bool m_first = true;
};

} // namespace runreport
