#include "batch/BatchRun.h"

#include "batch/BatchCommandLine.h"
#include "batch/RunReport.h"
#include "batch/StoredSettings.h"
#include "batch/TerminalProgress.h"
#include "batch/TerminalText.h"
#include "batch/WarningPrinter.h"
#include "batch/WrittenFiles.h"
#include "common/CProgressBar.h"
#include "common/ChunkPipeline.h"
#include "common/FileSystem.h"
#include "common/Letters.h"
#include "common/TempFile.h"
#include "export/ExportRun.h"
#include "export/SettingsSchema.h"
#include "frt/FrtHeader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace batchrun {

using terminaltext::Printable;

std::string Reporter::Reason(const Failure& failure) {
    static const Failure::Words kWords = {"the drawing sent there is incomplete", "nothing was written",
                                          "the drawing was written",
                                          "the file may be incomplete; the complete drawing is kept in %1"};
    return failure.Reason(kWords);
}

std::string Reporter::Said(const std::string& path, const std::string& reason) {
    return path + ": " + reason;
}

std::string Reporter::Line(const std::string& path, const std::string& reason) {
    return Line(Said(path, reason));
}

std::string Reporter::Line(const std::string& text) {
    return std::string(kProgram) + ": " + Printable(text) + "\n";
}

std::string Reporter::PathBlamed(const Failure& failure, const BatchJob& job) {
    switch (failure.stage) {
    case Failure::Stage::Write:
        return failure.path == job.target || failure.path.empty() ? job.output : failure.path;
    case Failure::Stage::Picture:
        return failure.path;
    default:
        return job.input;
    }
}

void Reporter::Error(const std::string& text) const {
    std::fputs(text.c_str(), m_err);
}

void Reporter::Output(const std::string& text) {
    if (!m_outOpen || text.empty())
        return;
    errno = 0;
    if (std::fputs(text.c_str(), m_out) < 0 || std::fflush(m_out) != 0) {
        m_outOpen = false;
        std::clearerr(m_out);
    }
}

namespace {

// What one conversion has to say, kept until its turn: conversions may run at once, their
// messages come in input order.
struct JobReport {
    bool ok = false;
    bool skipped = false; // as asked (--no-clobber, --update): `failure` says why, but it is none
    std::string out;
    std::string err;
    std::uint64_t warnings = 0;
    Failure failure;     // of the file the user named for it (Reporter::PathBlamed)
    bool silent = false; // the failure goes without a word (the reader of standard output left)
    // For the --report file.
    ConversionResult result;
    std::string findingsJson; // every finding, when a report is written
    double seconds = 0;

    void Print(Reporter& reporter) const {
        reporter.Output(out);
        reporter.Error(err);
        if (failure && !silent && !skipped)
            reporter.Problem(failure.path, Reporter::Reason(failure));
    }
    [[nodiscard]] const char* Status() const { return ok ? "ok" : skipped ? "skipped" : "failed"; }
    // Why it failed or was skipped, for the report file.
    [[nodiscard]] std::string Message() const {
        return failure ? Reporter::Said(failure.path, Reporter::Reason(failure)) : std::string();
    }
};

std::string DefaultOutput(const std::string& input) {
    return filesys::TextOf(filesys::PathOf(input).replace_extension(".dxf"));
}

// How much of standard input is spooled before its header must have shown: far more than any
// host puts before it, and a stream that is no survey (`< /dev/zero`) stops there.
constexpr long kHeaderWindow = 1L << 20;

// Copies standard input into a new private file; the reason when that fails, or empty.
std::string SpoolStandardInput(TempFile& copy) {
    ErrorOr<filesys::FilePtr> in = filesys::OpenStandardInput();
    if (!in)
        return in.error().message();
    ErrorOr<filesys::FilePtr> out = copy.Create(filesys::TemporaryDirectory(), "frt-stdin-");
    if (!out)
        return out.error().message();
    const auto failed = [&copy] {
        const std::error_code error(errno != 0 ? errno : EIO, std::generic_category());
        copy.Discard();
        return error.message();
    };
    char buffer[1 << 16];
    long spooled = 0;
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in->get())) > 0;) {
        if (std::fwrite(buffer, 1, got, out->get()) != got)
            return failed();
        if (spooled < kHeaderWindow && (spooled += static_cast<long>(got)) >= kHeaderWindow) {
            if (std::fflush(out->get()) != 0)
                return failed();
            if (frtheader::CheckFrtHeader(copy.Path()) != FRT_FORMAT_DXF) {
                copy.Discard();
                return "not an FRT file for DXF export (no header with Format=Rev2Ezi in its first MiB); "
                       "not read further";
            }
        }
    }
    if (std::ferror(in->get()) != 0 || std::fflush(out->get()) != 0)
        return failed();
    return {};
}

// What the drawing could not show as typed: characters its code page lacks or release 12
// cannot hold, and texts whose notations readers other than AutoCAD may decode.
std::string TextNotes(const std::string& input, const ConversionResult& result) {
    const codepage::Notes& notes = result.textNotes;
    const auto listed = [](const std::vector<std::uint32_t>& characters) {
        std::string out;
        for (const std::uint32_t character : characters) {
            char code[16];
            std::snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(character));
            out += code;
        }
        if (characters.size() == codepage::Notes::kListed)
            out += " ...";
        return out;
    };
    std::string said;
    if (notes.notInPage > 0)
        said += Reporter::Line(
            input, std::to_string(notes.notInPage) + " character(s) that " + result.codePage +
                       " lacks written as \\U+XXXX, which not every reader shows;" + listed(notes.lacking));
    if (notes.beyondBmp > 0)
        said +=
            Reporter::Line(input, std::to_string(notes.beyondBmp) +
                                      " character(s) above U+FFFF, which release 12 cannot hold, written as "
                                      "U+FFFD;" +
                                      listed(notes.beyond));
    if (notes.notations > 0)
        said +=
            Reporter::Line(input, std::to_string(notes.notations) +
                                      " text(s) with %% or \\U+ written so that AutoCAD shows them as typed "
                                      "(%%% for %, \\U+005C for \\); readers that know no %%% show them "
                                      "otherwise");
    return said;
}

// Converts the job into its target or, where this run wrote that file already (names that one
// disk takes as one), into a free name beside it: `kept` is then that name, and `keptFor` the input
// whose drawing is at the target. A job that finds its target taken only at its commit converts
// again.
ConversionResult ConvertBesideWritten(const BatchJob& job, const ExportOptions& options,
                                      exportrun::RunSettings run, WrittenFiles& written, std::string& kept,
                                      std::string& keptFor) {
    if (job.target == kStandardStream || run.dryRun)
        return exportrun::ConvertFile(job.source, job.target, options, run);
    keptFor = job.caseTwinOf;
    if (keptFor.empty()) {
        const std::lock_guard<std::mutex> lock(written.Lock());
        keptFor = written.WrittenFor(job.target);
    }
    for (;;) {
        const std::string target = keptFor.empty() ? job.target : filesys::FreeNameBeside(job.target, 2);
        if (!keptFor.empty()) {
            kept = target;
            run.replaceExisting = false;
        }
        std::unique_lock<std::mutex> committing(written.Lock(), std::defer_lock);
        bool taken = false;
        run.beforeCommit = [&] {
            if (!committing.owns_lock())
                committing.lock();
            if (!keptFor.empty() || (keptFor = written.WrittenFor(target)).empty())
                return std::string();
            taken = true;
            return std::string("was written meanwhile by this run");
        };
        ConversionResult result = exportrun::ConvertFile(job.source, target, options, run);
        if (committing.owns_lock() && result.Ok())
            written.Add(target, job.input);
        if (!taken)
            return result;
    }
}

// How the job is converted and its drawing placed, as the request asks.
exportrun::RunSettings RunSettingsOf(const BatchJob& job, const BatchRequest& request,
                                     const Reporter& reporter, WarningPrinter& warnings, unsigned threads) {
    exportrun::RunSettings run;
    run.diagnostics = &warnings;
    run.strict = request.strict;
    run.threads = threads;
    run.replaceExisting = !request.noClobber;
    run.preview = request.preview;
    run.previewLabels = request.previewLabels;
    run.dryRun = request.dryRun;
    run.sync = !request.noSync;
    // Another writer holding the output is waited for a bounded time, and said after a second.
    run.lockWait = [&request, output = job.output, &reporter,
                    said = false](std::chrono::milliseconds waited) mutable {
        if (!said && !request.quiet && waited >= std::chrono::seconds(1)) {
            said = true;
            reporter.Problem(output, "waiting for another program writing it");
        }
        return waited < std::chrono::seconds(request.lockWaitSeconds);
    };
    // The caption names the survey, not where the drawing went ("-", /dev/null).
    run.previewTitle = job.input == kStandardStream ? std::string("standard input")
                                                    : filesys::TextOf(filesys::PathOf(job.input).filename());
    return run;
}

// What the run says of a conversion that ended: the layers it renamed, the texts it could not
// write as typed, and its failure or the summary line.
void Conclude(const BatchJob& job, const BatchRequest& request, const std::string& kept,
              const std::string& keptFor, JobReport& report) {
    const ConversionResult& result = report.result;
    for (const auto& [given, written] : result.mendedLayers) {
        std::string said = "layer name '";
        said.append(given).append("' written as '").append(written).append("'");
        report.err += Reporter::Line(job.input, said);
    }
    report.err += TextNotes(job.input, result);
    if (!result.Ok()) {
        report.failure = result.failure;
        report.failure.path = Reporter::PathBlamed(result.failure, job);
        // The reader of standard output went away (| head): the run ends as GNU tools end then,
        // with a failure status and no word about it.
        report.silent = job.target == kStandardStream && result.failure.Is(std::errc::broken_pipe);
        return;
    }
    if (!kept.empty()) {
        report.failure =
            Failure(Failure::Stage::Write, job.output,
                    "is also the drawing of " + keptFor +
                        " in this run (this disk takes both names as one file); this drawing was "
                        "kept as " +
                        kept);
        return;
    }
    report.ok = true;
    if (request.quiet)
        return;
    char line[128];
    std::snprintf(line, sizeof line, ": %d %s, %zu %s, %s, %.2f s%s\n", result.entities,
                  result.entities == 1 ? "entity" : "entities", result.layers,
                  result.layers == 1 ? "layer" : "layers", result.codePage.c_str(), report.seconds,
                  result.read.elements == 0 ? "; no elements" : "");
    // With data on standard output (the drawing, the report, the picture), the summary goes to
    // standard error.
    const bool dataOnStandardOutput = job.target == kStandardStream || request.report == kStandardStream ||
                                      request.preview == kStandardStream;
    (dataOnStandardOutput ? report.err : report.out) +=
        Printable(job.input) +
        (request.dryRun ? " (not written: --dry-run)" : " -> " + Printable(job.output)) + line;
}

JobReport ConvertOne(const BatchJob& job, const ExportSettings& settings, const BatchRequest& request,
                     const Reporter& reporter, WrittenFiles& written, unsigned threads, bool showProgress) {
    JobReport report;
    outputplan::JobCheck check = outputplan::CheckJob(job, {request.noClobber, request.update});
    if (check.failure) {
        report.failure = std::move(check.failure);
        report.skipped = check.skip;
        // A nightly run skips most inputs: said only when asked for, the count line says how many.
        if (report.skipped && request.verbose)
            report.err += Reporter::Line(report.failure.path, Reporter::Reason(report.failure));
        return report;
    }
    ExportOptions options = settings.Build();
    options.codePage = request.codePage;
    if (showProgress)
        CProgressBar::Instance().Create(std::make_unique<TerminalProgress>(
            reporter.ErrorStream(), filesys::TextOf(filesys::PathOf(job.input).filename())));
    WarningPrinter warnings(report.err, kProgram, job.input);
    if (!request.report.empty())
        warnings.CollectFor(report.findingsJson);
    const auto start = std::chrono::steady_clock::now();
    std::string kept;
    std::string keptFor;
    report.result = ConvertBesideWritten(
        job, options, RunSettingsOf(job, request, reporter, warnings, threads), written, kept, keptFor);
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (showProgress)
        CProgressBar::Destroy();
    warnings.Finish();
    report.warnings = warnings.Count();
    Conclude(job, request, kept, keptFor, report);
    return report;
}

// One file's conversion among several at once, on one thread.
class FileJob : public ChunkPipeline::Job {
public:
    FileJob(const BatchJob& job, const ExportSettings& settings, const BatchRequest& request,
            const Reporter& reporter, WrittenFiles& written)
        : m_job(job), m_settings(settings), m_request(request), m_reporter(reporter), m_written(written) {}
    void Run(ITextSink& /*out*/) override {
        report = ConvertOne(m_job, m_settings, m_request, m_reporter, m_written, 1, false);
    }
    [[nodiscard]] const std::string& Source() const { return m_job.source; }
    [[nodiscard]] const BatchJob& Job() const { return m_job; }

    JobReport report;

private:
    const BatchJob& m_job;
    const ExportSettings& m_settings;
    const BatchRequest& m_request;
    const Reporter& m_reporter;
    WrittenFiles& m_written;
};

// Converts every job, `workers` at a time, and prints each report in input order as soon as it
// and all before it are done. Returns whether all succeeded.
runreport::Summary ConvertAll(const std::vector<BatchJob>& jobs, const ExportSettings& settings,
                              const BatchRequest& request, unsigned workers, runreport::Writer* runReport,
                              Reporter& reporter) {
    runreport::Summary summary;
    WrittenFiles written;
    int filesWithWarnings = 0;
    const auto take = [&](const BatchJob& job, const JobReport& report) {
        report.Print(reporter);
        (report.ok ? summary.converted : report.skipped ? summary.skipped : summary.failed) += 1;
        summary.warnings += report.warnings;
        filesWithWarnings += report.warnings > 0 ? 1 : 0;
        if (runReport != nullptr)
            runReport->Add(runreport::FileEntry(job.input, job.output, report.Status(), report.result,
                                                report.Message(), report.findingsJson, report.seconds));
    };
    if (workers <= 1) {
        // One file at a time: each gets all the threads.
        const bool showProgress = !request.quiet && filesys::IsTerminal(reporter.ErrorStream());
        for (const BatchJob& job : jobs)
            take(job, ConvertOne(job, settings, request, reporter, written, request.jobs, showProgress));
    } else {
        CProgressBar::Instance(); // made once here; without a display the threads only read it
        // On a terminal, one line for the whole run.
        std::optional<RunProgress> progress;
        if (!request.quiet && filesys::IsTerminal(reporter.ErrorStream())) {
            std::uint64_t bytes = 0;
            for (const BatchJob& job : jobs)
                bytes += filesys::StateOf(job.source).size;
            progress.emplace(reporter.ErrorStream(), jobs.size(), bytes);
        }
        std::size_t next = 0;
        ChunkPipeline pipeline(workers);
        pipeline.Run(
            [&]() -> std::unique_ptr<ChunkPipeline::Job> {
                if (next == jobs.size())
                    return nullptr;
                return std::make_unique<FileJob>(jobs[next++], settings, request, reporter, written);
            },
            [](std::string_view) { return true; },
            [&](ChunkPipeline::Job& finished) {
                auto& job = static_cast<FileJob&>(finished);
                if (progress)
                    progress->Clear();
                take(job.Job(), job.report);
                if (progress)
                    progress->FileDone(filesys::StateOf(job.Source()).size);
                return true;
            });
    }
    if (summary.warnings > 0)
        reporter.Error(Reporter::Line(std::to_string(summary.warnings) + " warning(s) in " +
                                      std::to_string(filesWithWarnings) + " file(s)"));
    if (!request.quiet && (jobs.size() > 1 || summary.skipped > 0))
        reporter.Error(Reporter::Line(
            std::to_string(jobs.size()) + " input(s): " + std::to_string(summary.converted) + " " +
            (request.dryRun ? "checked" : "converted") + ", " + std::to_string(summary.skipped) +
            " skipped, " + std::to_string(summary.failed) + " failed"));
    return summary;
}

// The desktop program's stored choices. A store that is missing or cannot be used is said, and
// the defaults are used; a value that cannot be taken as stored is left in badValue.
void LoadStoredSettings(ExportSettings& settings, std::string& badValue, const Reporter& reporter) {
    if (const std::string problem = storedsettings::Load(settings, badValue); !problem.empty())
        reporter.Problem(storedsettings::Place(), problem + "; using the defaults");
}

int UsageError(const std::string& message, const Reporter& reporter) {
    reporter.Error(Reporter::Line(message) + "Try '" + kProgram + " --help'.\n");
    return 2;
}

// Reads the command line, over the stored choices with --from-settings. The exit status when the
// run ends here (a usage error, --help, --version, a stored value out of its limits).
std::optional<int> ReadCommandLine(const std::vector<std::string>& args, ExportSettings& settings,
                                   BatchRequest& request, Reporter& reporter) {
    std::string error;
    bool parsed = batchcli::ParseCommandLine(args, settings, request, error);
    // The options go over the stored choices: the command line is read again on top of them.
    const bool fromSettings = parsed && request.fromSettings;
    std::string badStoredValue;
    if (fromSettings) {
        settings = ExportSettings();
        LoadStoredSettings(settings, badStoredValue, reporter);
        request = BatchRequest();
        parsed = batchcli::ParseCommandLine(args, settings, request, error);
    }
    if (!parsed)
        return UsageError(error, reporter);
    // Whatever spelling names standard output (/dev/stdout, /dev/fd/1) is "-": its data then has
    // it to itself, and the summary goes to standard error.
    for (std::string* path : {&request.output, &request.report, &request.preview})
        if (!path->empty() && filesys::NamesStandardStream(*path, filesys::StandardStream::Output))
            *path = kStandardStream;
    if (request.help) {
        reporter.Output(batchcli::Usage());
        return 0;
    }
    if (request.version) {
        reporter.Output(std::string(kProgram) + " " + FRT2DXF_VERSION + "\n");
        return 0;
    }
    // Only stored values can be out of limits: the options are checked as they are read.
    const std::string problem = badStoredValue.empty() ? settingschema::Problem(settings) : badStoredValue;
    if (fromSettings && !problem.empty()) {
        reporter.Problem(storedsettings::Place(), problem);
        return 2;
    }
    for (const std::string& idle : batchcli::IdleOptions(settings, request))
        reporter.Error(Reporter::Line(idle));
    return std::nullopt;
}

// The inputs and where each drawing goes, checked against each other before anything is written.
struct RunPlan {
    std::vector<BatchJob> jobs;
    TempFile standardInput; // standard input is read twice, as every input is: kept here until the end
    bool allFound = true;   // every argument's files were found, and every entry of its folders read
};

// An entry of a folder that could not be read, with why.
struct Unreadable {
    std::string path;
    std::string reason;
};

// Adds the .frt files (any case) of a folder, in name order; with `recursive`, those of its
// subfolders too, each folder's after its own files. A link to a folder is not followed: it may
// lead back. Every entry that cannot be read (the folder itself, a subfolder, a link that leads
// nowhere) is added to `unreadable`, and the rest is read all the same.
void SurveysIn(const std::string& folder, bool recursive, std::vector<std::string>& surveys,
               std::vector<Unreadable>& unreadable) {
    std::vector<fs::path> files;
    std::vector<fs::path> folders;
    std::error_code error;
    for (fs::directory_iterator entry(filesys::PathOf(folder), error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ec;
        const fs::file_status status = entry->symlink_status(ec);
        const std::string extension = letters::AsciiLower(filesys::TextOf(entry->path().extension()));
        if (!ec && fs::is_directory(status)) {
            folders.push_back(entry->path());
            continue;
        }
        if (!ec && extension != ".frt")
            continue;
        const fs::file_status target = ec ? status : entry->status(ec);
        if (ec)
            unreadable.push_back({filesys::TextOf(entry->path()), ec.message()});
        else if (fs::is_regular_file(target))
            files.push_back(entry->path());
        else if (!fs::is_directory(target))
            unreadable.push_back({filesys::TextOf(entry->path()), "not a regular file"});
    }
    if (error)
        unreadable.push_back({folder, error.message()});
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const fs::path& file : files)
        surveys.push_back(filesys::TextOf(file));
    if (recursive)
        for (const fs::path& sub : folders)
            SurveysIn(filesys::TextOf(sub), true, surveys, unreadable);
}

// The inputs an argument stands for: a folder its surveys, on Windows a pattern its matches, else
// itself; none, said, when a folder holds no survey or a pattern matches nothing. `complete` is
// false when something it stands for could not be read or found; each such entry is said.
std::vector<std::string> InputsOf(const std::string& argument, const BatchRequest& request,
                                  const Reporter& reporter, bool& complete) {
    std::error_code ec;
    if (argument != kStandardStream && fs::is_directory(filesys::PathOf(argument), ec)) {
        std::vector<std::string> surveys;
        std::vector<Unreadable> unreadable;
        SurveysIn(argument, request.recursive, surveys, unreadable);
        for (const Unreadable& entry : unreadable)
            reporter.Problem(entry.path, entry.reason);
        complete = unreadable.empty() && !surveys.empty();
        if (surveys.empty() && unreadable.empty())
            reporter.Problem(argument, request.recursive
                                           ? "no .frt file in this folder or its subfolders"
                                           : "no .frt file in this folder (-r looks in its subfolders)");
        return surveys;
    }
    // On Windows the program matches the wildcards.
    std::vector<std::string> matches = filesys::MatchArgument(argument);
    complete = !matches.empty();
    if (matches.empty()) {
        const fs::path folder = filesys::PathOf(argument).parent_path();
        if (!folder.empty() && !fs::is_directory(folder, ec))
            reporter.Problem(argument, "the folder " + filesys::TextOf(folder) + " does not exist");
        else
            reporter.Problem(argument, "no file matches this pattern");
    }
    return matches;
}

// A folder's path without a separator at its end ("drawings/" is "drawings").
fs::path FolderPath(const std::string& folder) {
    fs::path path = filesys::PathOf(folder).lexically_normal();
    return path.has_filename() || !path.has_parent_path() ? path : path.parent_path();
}

// Where an input's drawing goes, by the options. Into --output-dir, a survey found below a
// folder named as input keeps the subfolders it was found in, as cp -r does: two surveys of one
// name in two subfolders never meet.
std::string OutputOf(const std::string& input, const BatchRequest& request, const std::string& root) {
    if (!request.output.empty())
        return request.output;
    if (request.outputDir.empty())
        return DefaultOutput(input);
    fs::path folder = filesys::PathOf(request.outputDir);
    if (!root.empty()) {
        const fs::path below = filesys::PathOf(input).parent_path().lexically_relative(FolderPath(root));
        if (!below.empty() && below != "." && *below.begin() != "..")
            folder /= below;
    }
    return filesys::TextOf(folder / filesys::PathOf(input).filename().replace_extension(".dxf"));
}

// Makes the output folder when it does not exist yet but its own folder does, and the folders
// below it that the drawings keep; the exit status when that fails.
std::optional<int> MakeOutputFolders(const BatchRequest& request, const RunPlan& plan,
                                     const Reporter& reporter) {
    if (request.outputDir.empty() || plan.jobs.empty())
        return std::nullopt;
    std::error_code ec;
    const fs::path top = FolderPath(request.outputDir);
    if (!fs::is_directory(top, ec)) {
        if (!fs::create_directory(top, ec) && !fs::is_directory(top)) {
            reporter.Problem(request.outputDir, "the output folder could not be made: " + ec.message());
            return 1;
        }
        if (request.verbose)
            reporter.Error(Reporter::Line(request.outputDir, "output folder made"));
    }
    // A folder that cannot be made fails its drawings alone, said with them.
    for (const BatchJob& job : plan.jobs)
        fs::create_directories(filesys::PathOf(job.output).parent_path(), ec);
    return std::nullopt;
}

// Plans the run; the exit status when it ends here.
std::optional<int> Plan(const BatchRequest& request, RunPlan& plan, const Reporter& reporter) {
    std::error_code ec;
    if (!request.outputDir.empty() && !fs::is_directory(filesys::PathOf(request.outputDir), ec)) {
        // Made when the folder it goes into exists: "-t drawings" works on a first run.
        const fs::path parent = FolderPath(request.outputDir).parent_path();
        if (fs::exists(filesys::PathOf(request.outputDir), ec))
            return UsageError("--output-dir: " + request.outputDir + " is no folder", reporter);
        if (!parent.empty() && !fs::is_directory(parent, ec))
            return UsageError("--output-dir: " + request.outputDir + " does not exist, nor does its folder " +
                                  filesys::TextOf(parent),
                              reporter);
    }
    if (!request.output.empty() && request.output != kStandardStream &&
        (fs::is_directory(filesys::PathOf(request.output), ec) || request.output.back() == '/'))
        return UsageError("--output: " + request.output +
                              " names a folder; -t DIR puts the drawings into a folder",
                          reporter);
    // A pattern that matches nothing, or a folder without surveys, is a failed input.
    std::vector<std::pair<std::string, std::string>> inputs; // each with the folder it was found in
    for (const std::string& argument : request.inputs) {
        bool complete = true;
        const std::vector<std::string> matches = InputsOf(argument, request, reporter, complete);
        plan.allFound = plan.allFound && complete;
        const bool folder = argument != kStandardStream && fs::is_directory(filesys::PathOf(argument), ec);
        for (const std::string& match : matches)
            inputs.emplace_back(match, folder ? argument : std::string());
    }
    if (const std::string problem = batchcli::OneInputProblem(request, inputs.size()); !problem.empty())
        return UsageError(problem, reporter);
    for (const auto& [input, root] : inputs) {
        std::string output = OutputOf(input, request, root);
        std::string source = input;
        if (input == kStandardStream) {
            if (!plan.standardInput.Path().empty())
                return UsageError("-: standard input can be read only once", reporter);
            if (!request.outputDir.empty())
                return UsageError("-: standard input has no name for its drawing in --output-dir; use -o",
                                  reporter);
            if (const std::string problem = SpoolStandardInput(plan.standardInput); !problem.empty()) {
                reporter.Problem("-", problem);
                return 1;
            }
            source = plan.standardInput.Path();
            if (request.output.empty() && request.outputDir.empty())
                output = kStandardStream;
        }
        plan.jobs.push_back({input, output, outputplan::PlannedTarget(output), source, {}});
    }
    if (const std::string clash =
            outputplan::FindClash(plan.jobs, {{"--report", request.report}, {"--preview", request.preview}});
        !clash.empty()) {
        reporter.Error(Reporter::Line(clash + "; nothing was written"));
        return 2;
    }
    if (request.dryRun)
        return std::nullopt;
    // The folders first: whether their disk ignores case is asked of the disk itself.
    if (const std::optional<int> ended = MakeOutputFolders(request, plan, reporter))
        return ended;
    outputplan::MarkCaseTwins(plan.jobs);
    return std::nullopt;
}

// Converts the planned inputs, with the report file if asked for; the exit status.
int RunPlanned(const RunPlan& plan, const ExportSettings& settings, const BatchRequest& request,
               Reporter& reporter) {
    // The report file is made first, so that a run that cannot write it converts nothing.
    std::optional<runreport::Writer> runReport;
    if (!request.report.empty() && !runReport.emplace(request.report, !request.noSync)
                                        .Open(FRT2DXF_VERSION, runreport::Options(settings, request))) {
        reporter.Problem(request.report, Reporter::Reason(runReport->Error()));
        return 1;
    }
    const unsigned workers = std::min<std::size_t>(request.jobs, std::max<std::size_t>(plan.jobs.size(), 1));
    const runreport::Summary summary =
        ConvertAll(plan.jobs, settings, request, workers, runReport ? &*runReport : nullptr, reporter);
    if (runReport && !runReport->Finish(summary)) {
        reporter.Problem(request.report, Reporter::Reason(runReport->Error()));
        return 1;
    }
    return summary.failed == 0 && plan.allFound ? 0 : 1;
}

} // namespace

int Run(const std::vector<std::string>& args, Reporter& reporter) {
    ExportSettings settings;
    BatchRequest request;
    if (const std::optional<int> ended = ReadCommandLine(args, settings, request, reporter))
        return *ended;
    RunPlan plan;
    if (const std::optional<int> ended = Plan(request, plan, reporter))
        return *ended;
    return RunPlanned(plan, settings, request, reporter);
}

} // namespace batchrun
