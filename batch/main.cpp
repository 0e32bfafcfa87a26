// frt2dxf-batch: converts FRT files to DXF drawings without a desktop. Never changes its input.
#include "BatchCommandLine.h"
#include "CProgressBar.h"
#include "ExportRun.h"
#include "FrtHeader.h"
#include "IniSettingsStore.h"
#include "PendingFiles.h"
#include "TerminalProgress.h"

#include <unistd.h>

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

std::string DefaultOutput(const std::string& input) { return fs::path(input).replace_extension(".dxf").string(); }

bool SamePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec))
        return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec) && !ec;
}

// Why the input cannot be converted, or empty when it can be read as a file.
std::string InputProblem(const std::string& input) {
    std::error_code ec;
    const fs::file_status status = fs::status(input, ec);
    if (ec)
        return ec.message();
    if (fs::is_directory(status))
        return std::make_error_code(std::errc::is_a_directory).message();
    if (!fs::is_regular_file(status))
        return "not a regular file";
    std::FILE* probe = std::fopen(input.c_str(), "rb");
    if (probe == nullptr)
        return std::generic_category().message(errno);
    std::fclose(probe);
    return {};
}

bool ConvertOne(const std::string& input, const std::string& output, const ExportSettings& settings, bool quiet) {
    if (const std::string problem = InputProblem(input); !problem.empty()) {
        Fail(input, problem);
        return false;
    }
    if (SamePath(input, output)) {
        Fail(input, "the output path is the input file itself; choose another with --output");
        return false;
    }
    switch (CheckFrtHeader(input)) {
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
    const bool showProgress = !quiet && isatty(STDERR_FILENO) != 0;
    if (showProgress)
        CProgressBar::Instance().Create(std::make_unique<TerminalProgress>(stderr, fs::path(input).filename().string()));
    const auto start = std::chrono::steady_clock::now();
    const ConversionResult result = ConvertFile(input, output, options);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    CProgressBar::Destroy();
    if (!result.ok) {
        Fail(result.read.Ok() ? output : input, result.error);
        return false;
    }
    if (!quiet)
        std::printf("%s -> %s: %d entities, %zu layers, %.2f s\n", input.c_str(), output.c_str(), result.entities,
                    result.layers, elapsed.count());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    PendingFiles::RemoveOnInterrupt();
    const std::vector<std::string> args(argv + 1, argv + argc);
    ExportSettings settings;
    if (WantsStoredSettings(args)) {
        IniSettingsStore store(IniSettingsStore::UserPath());
        settings.Load(store, ExportSettings::LayerDefaults{});
    }
    BatchRequest request;
    std::string error;
    if (!ParseCommandLine(args, settings, request, error)) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, error.c_str(), kProgram);
        return 2;
    }
    if (request.help) {
        std::fputs(kBatchUsage, stdout);
        return 0;
    }
    if (request.version) {
        std::printf("%s %s\n", kProgram, FRT2DXF_VERSION);
        return 0;
    }
    bool allOk = true;
    for (const std::string& input : request.inputs) {
        const std::string output = request.output.empty() ? DefaultOutput(input) : request.output;
        allOk = ConvertOne(input, output, settings, request.quiet) && allOk;
    }
    return allOk ? 0 : 1;
}
