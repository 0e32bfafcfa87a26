#pragma once

#include "common/AtomicFile.h"
#include "frt/IFrtDiagnostics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Hears of the survey's findings during a desktop export, as the batch tool tells them: counts
// them, keeps the first few for the message shown before the dialog closes, and writes every one
// to a list beside the drawing ("FILE:LINE: KEY=VALUE: problem"), which stays only when it holds
// more than the message shows. Memory stays the same however many there are.
class FindingsList : public IFrtDiagnostics {
public:
    static constexpr std::size_t kShown = 10;

    // inputName: the survey as the user knows it; listPath: where the whole list goes.
    FindingsList(std::string inputName, std::string listPath);

    void Warn(std::uint64_t line, std::string_view key, std::string_view value,
              std::string_view problem) override;

    // After the drawing was written: keeps the list when it holds more than the first few.
    // No failure, or why the list could not be written.
    Failure Finish();

    [[nodiscard]] std::uint64_t Count() const { return m_count; }
    // The first findings, "line LINE: KEY=VALUE: problem".
    [[nodiscard]] const std::vector<std::string>& Shown() const { return m_shown; }
    [[nodiscard]] const std::string& ListPath() const { return m_listPath; }

private:
    std::string m_inputName;
    std::string m_listPath;
    std::uint64_t m_count = 0;
    std::vector<std::string> m_shown;
    std::unique_ptr<AtomicFile> m_list;
    std::string m_line; // reused for each finding
};
