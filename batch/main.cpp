// frt2dxf-batch: converts FRT files to DXF drawings without a desktop. Never changes its input.
#include "app/ExportRun.h"
#include "app/FrtHeader.h"
#include "app/IniSettingsStore.h"
#include "batch/BatchCommandLine.h"
#include "batch/OutputPlan.h"
#include "batch/TerminalProgress.h"
#include "batch/WarningPrinter.h"
#include "common/CProgressBar.h"
#include "common/FileSystem.h"
#include "common/PendingFiles.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "frt2dxf-batch";

void Fail(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, path.c_str(), reason.c_str());
}

std::string DefaultOutput(const std::string& input) {
    return filesys::TextOf(filesys::PathOf(input).replace_extension(".dxf"));
}

// Why the input cannot be converted, or empty when it can be read as a file.
std::string InputProblem(const std::string& input) {
    std::error_code ec;
    const fs::file_status status = fs::status(filesys::PathOf(input), ec);
    if (ec)
        return ec.message();
    if (fs::is_directory(status))
        return std::make_error_code(std::errc::is_a_directory).message();
    if (!fs::is_regular_file(status))
        return "not a regular file";
    std::FILE* probe = filesys::OpenFile(input, "rb");
    if (probe == nullptr)
        return std::generic_category().message(errno);
    std::fclose(probe);
    return {};
}

// What the run found, for the summary at the end.
struct Tally {
    std::uint64_t warnings = 0;
    int filesWithWarnings = 0;
};

bool ConvertOne(const BatchJob& job, const ExportSettings& settings, const BatchRequest& request,
                Tally& tally) {
    const std::string& input = job.input;
    const std::string& output = job.output;
    if (const std::string problem = InputProblem(input); !problem.empty()) {
        Fail(input, problem);
        return false;
    }
    switch (frtheader::CheckFrtHeader(input)) {
    case FRT_FORMAT_DXF:
        break;
    case FRT_FORMAT_SHP:
        Fail(input, R"(not an FRT file for DXF export (header names "Raz2Azi", not "Rev2Ezi"))");
        return false;
    case FRT_FORMAT_NONE:
        Fail(input, "not an FRT file for DXF export (header with Format=Rev2Ezi not found)");
        return false;
    }

    ExportOptions options = settings.Build();
    const bool showProgress = !request.quiet && filesys::IsTerminal(stderr);
    if (showProgress)
        CProgressBar::Instance().Create(
            std::make_unique<TerminalProgress>(stderr, filesys::TextOf(filesys::PathOf(input).filename())));
    WarningPrinter warnings(stderr, kProgram, input);
    const auto start = std::chrono::steady_clock::now();
    const ConversionResult result = exportrun::ConvertFile(input, output, options, &warnings, request.strict);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    CProgressBar::Destroy();
    warnings.Finish();
    if (warnings.Count() > 0) {
        tally.warnings += warnings.Count();
        ++tally.filesWithWarnings;
    }
    if (!result.ok) {
        if (!result.read.Ok() || (request.strict && result.warnings > 0))
            Fail(input, result.error);
        else if (result.targetDamaged)
            Fail(output, result.error + "; the file may be incomplete; the complete drawing is kept in " +
                             result.keptDrawing);
        else
            Fail(output, result.error);
        return false;
    }
    if (!request.quiet)
        std::printf("%s -> %s: %d entities, %zu layers, %.2f s\n", input.c_str(), output.c_str(),
                    result.entities, result.layers, elapsed.count());
    return true;
}

// The desktop program's stored choices. A missing store is said, and the defaults are used.
void LoadStoredSettings(ExportSettings& settings) {
    const std::string path = IniSettingsStore::UserPath();
    std::error_code ec;
    if (!fs::exists(filesys::PathOf(path), ec)) {
        std::fprintf(stderr, "%s: %s: no stored settings there; using the defaults\n", kProgram,
                     path.c_str());
        return;
    }
    IniSettingsStore store(path);
    settings.Load(store, ExportSettings::LayerDefaults{});
}

} // namespace

int main(int argc, char** argv) {
    pendingfiles::RemoveOnInterrupt();
    const std::vector<std::string> args = filesys::Arguments(argc, argv);
    ExportSettings settings;
    const bool fromSettings = batchcli::WantsStoredSettings(args);
    if (fromSettings)
        LoadStoredSettings(settings);
    BatchRequest request;
    std::string error;
    if (!batchcli::ParseCommandLine(args, settings, request, error)) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, error.c_str(), kProgram);
        return 2;
    }
    if (request.help) {
        std::fputs(batchcli::kBatchUsage, stdout);
        return 0;
    }
    if (request.version) {
        std::printf("%s %s\n", kProgram, FRT2DXF_VERSION);
        return 0;
    }
    if (fromSettings) {
        if (const std::string problem = batchcli::StoredValueProblem(settings); !problem.empty()) {
            Fail(IniSettingsStore::UserPath(), problem);
            return 2;
        }
    }
    std::vector<BatchJob> jobs;
    for (const std::string& input : request.inputs)
        jobs.push_back({input, request.output.empty() ? DefaultOutput(input) : request.output});
    if (const std::string clash = outputplan::FindClash(jobs); !clash.empty()) {
        std::fprintf(stderr, "%s: %s; nothing was written\n", kProgram, clash.c_str());
        return 2;
    }
    bool allOk = true;
    Tally tally;
    for (const BatchJob& job : jobs)
        allOk = ConvertOne(job, settings, request, tally) && allOk;
    if (tally.warnings > 0)
        std::fprintf(stderr, "%s: %llu warning(s) in %d file(s)\n", kProgram,
                     static_cast<unsigned long long>(tally.warnings), tally.filesWithWarnings);
    return allOk ? 0 : 1;
}
