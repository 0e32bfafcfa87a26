#pragma once

#include "common/AtomicFile.h"
#include "export/ExportRun.h"

#include <cstdint>
#include <string>
#include <string_view>

// The --report file: a JSON array with one object per input, in input order, written as the
// inputs are done and put in place whole at the end (see the README for its fields).
namespace runreport {

// Appends the text as a JSON string: quotes, backslashes and control characters escaped, bytes
// that are no UTF-8 as U+FFFD.
void AppendString(std::string& out, std::string_view text);

// One input's object.
std::string FileEntry(const std::string& input, const std::string& output, const ConversionResult& result,
                      const std::string& message, const std::string& warnings, double seconds);

// One finding for the "warnings" array of an entry (objects separated by commas).
void AppendWarning(std::string& out, std::uint64_t line, std::string_view key, std::string_view value,
                   std::string_view problem);

class Writer {
public:
    explicit Writer(const std::string& path) : m_file(path) {}
    // Creates the file; false with Error() when that is not possible.
    [[nodiscard]] bool Open();
    void Add(const std::string& entry);
    // Ends the array and puts the file in place; false with Error().
    [[nodiscard]] bool Finish();
    [[nodiscard]] std::string Error() const { return m_file.Error(); }

private:
    AtomicFile m_file;
    bool m_first = true;
};

} // namespace runreport
