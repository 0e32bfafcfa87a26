#include "app/ExportRun.h"

#include "app/ChunkPipeline.h"

#include "common/CProgressBar.h"
#include "common/Checksum.h"
#include "common/FileSystem.h"
#include "common/TextStream.h"
#include "convert/CFrtToDxf.h"
#include "frt/CFrtReader.h"
#include "frt/FrtSplitter.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace exportrun {

DxfWriteSettings WriteSettingsFor(const ExportOptions& options) {
    DxfWriteSettings settings;
    settings.symbolScale = options.symbolScale;
    settings.pointMode = (options.flags & OPT_SYMBOLS) != 0 ? 0 : 2;
    settings.decimals = 6;
    return settings;
}

namespace {

// Passes every finding on and counts them.
class CountingDiagnostics : public IFrtDiagnostics {
public:
    explicit CountingDiagnostics(IFrtDiagnostics& next) : m_next(next) {}
    void Warn(std::uint64_t line, std::string_view key, std::string_view value,
              std::string_view problem) override {
        ++count;
        m_next.Warn(line, key, value, problem);
    }
    std::uint64_t count = 0;

private:
    IFrtDiagnostics& m_next;
};

bool SameLayers(const CDxfTables& a, const CDxfTables& b) {
    return std::equal(a.layers().begin(), a.layers().end(), b.layers().begin(), b.layers().end(),
                      [](const CDxfLayer& x, const CDxfLayer& y) {
                          return x.name == y.name && x.lineType == y.lineType && x.colour == y.colour;
                      });
}

// Strict mode writes nothing for a file with findings.
bool RefusedAsStrict(ConversionResult& result, bool strict) {
    if (!strict || result.warnings == 0)
        return false;
    result.error =
        std::to_string(result.warnings) + " questionable value(s) in the input; nothing was written";
    return true;
}

void TakeWritten(const DxfWriteResult& written, ConversionResult& result) {
    result.ok = written.ok;
    result.error = written.error;
    result.targetDamaged = written.damaged;
    result.keptDrawing = written.keptPath;
}

// What the first pass saw of the file: the file itself and the checksum of its bytes.
struct FirstLook {
    filesys::FileState state;
    std::uint64_t checksum = 0;
};

std::string ChangedText(const std::string& readPath) {
    return readPath + " was changed while it was converted; nothing was written";
}

// Empty when the file is still the one the first pass began with, unchanged.
std::string ChangedSince(const std::string& readPath, const filesys::FileState& before) {
    return filesys::StateOf(readPath).SameAs(before) ? std::string() : ChangedText(readPath);
}

// After the first pass: whether the file is still the one it began with; else the result says so.
bool StillAsBefore(const std::string& readPath, const filesys::FileState& before, ConversionResult& result) {
    result.error = ChangedSince(readPath, before);
    return result.error.empty();
}

// Empty when the second pass read the same file and bytes as the first and made exactly the
// drawing the first pass measured. A rewrite that keeps the entity count and layers (an easting
// changed in place) would otherwise mix the two versions in one drawing.
std::string ChangedWhileConverted(const std::string& readPath, const FirstLook& first, std::uint64_t checksum,
                                  const CDxfDocument& made, const CDxfDocument& measured) {
    if (checksum != first.checksum || made.entityCount() != measured.entityCount() ||
        !SameLayers(made.tables(), measured.tables()))
        return ChangedText(readPath);
    return ChangedSince(readPath, first.state);
}

// The second pass: converts the file again and writes each entity the moment it is made.
// Empty when it made exactly the drawing the first pass measured.
std::string StreamEntities(const std::string& readPath, ExportOptions options, const CDxfDocument& measured,
                           const FirstLook& first, TextStream& stream) {
    auto converter = std::make_unique<CFrtToDxf>(&options);
    CDxfDocument* streaming = converter->GetDocument();
    streaming->streamTo(stream);
    CFrtReader reader(std::move(converter), &options.dataKinds);
    reader.SetProgressSteps(false); // this pass counts entities written
    const FrtReadResult read = reader.Read(readPath);
    if (!read.Ok())
        return read.error;
    return ChangedWhileConverted(readPath, first, read.checksum, *streaming, measured);
}

// Input of about this size makes some 700 KiB of text per chunk, which stays in the core's cache
// until it is written; smaller chunks cost more in hand-overs.
constexpr std::uint64_t kChunkBytes = std::uint64_t{64} << 10;

// A finding of a worker, told on the calling thread in file order.
struct Finding {
    std::uint64_t line;
    std::string key;
    std::string value;
    std::string problem;
};

class CollectingDiagnostics : public IFrtDiagnostics {
public:
    void Warn(std::uint64_t line, std::string_view key, std::string_view value,
              std::string_view problem) override {
        findings.push_back({line, std::string(key), std::string(value), std::string(problem)});
    }
    std::vector<Finding> findings;
};

// Each worker's output buffer, kept from chunk to chunk: a fresh megabyte per chunk costs page
// faults, and giving it back stalls every core the process runs on.
thread_local std::vector<char> t_streamBuffer;

// One chunk of the file converted on a worker thread: measured in the first pass, written in
// the second.
class ChunkJob : public ChunkPipeline::Job {
public:
    ChunkJob(const std::string& path, const FrtChunk& chunk, ExportOptions options, int decimals,
             bool measure, bool diagnose)
        : m_path(path), m_chunk(chunk), m_options(std::move(options)), m_decimals(decimals),
          m_measure(measure), m_diagnose(diagnose) {}

    void Run(ITextSink& out) override {
        auto converter = std::make_unique<CFrtToDxf>(&m_options);
        m_document = converter->GetDocument();
        std::optional<TextStream> stream;
        if (m_measure) {
            m_document->measureOnly();
        } else {
            stream.emplace(out, m_decimals, std::move(t_streamBuffer));
            m_document->streamTo(*stream, false);
        }
        m_reader = std::make_unique<CFrtReader>(std::move(converter), &m_options.dataKinds);
        m_reader->SetProgressSteps(false);
        if (m_diagnose)
            m_reader->SetDiagnostics(&m_diagnostics);
        read = m_reader->ReadChunk(m_path, m_chunk);
        if (stream && !stream->Flush())
            writeError = stream->Error();
        if (stream)
            t_streamBuffer = stream->TakeBuffer();
    }

    const ExportOptions& options() const { return m_options; }
    const CDxfDocument& document() const { return *m_document; }
    const std::vector<Finding>& findings() const { return m_diagnostics.findings; }

    FrtReadResult read;
    std::string writeError;

private:
    const std::string& m_path;
    FrtChunk m_chunk;
    ExportOptions m_options;
    int m_decimals;
    bool m_measure;
    bool m_diagnose;
    CollectingDiagnostics m_diagnostics;
    std::unique_ptr<CFrtReader> m_reader; // owns the converter, which owns the document
    CDxfDocument* m_document = nullptr;
};

// Makes a job per chunk of the file, for one pass.
ChunkPipeline::NextJob JobMaker(FrtSplitter& splitter, const std::string& path, const ExportOptions& options,
                                bool measure, bool diagnose) {
    return [&splitter, &path, &options, measure, diagnose]() -> std::unique_ptr<ChunkPipeline::Job> {
        FrtChunk chunk;
        if (!splitter.Next(chunk))
            return nullptr;
        return std::make_unique<ChunkJob>(path, chunk, options, WriteSettingsFor(options).decimals, measure,
                                          diagnose);
    };
}

// Both passes with the file cut into chunks that `threads` workers convert at once. The first
// pass merges what the chunks measured in file order, the second writes their text in file
// order, so the drawing is byte for byte the one the single-threaded passes make.
class ParallelPasses {
public:
    ParallelPasses(const std::string& readPath, ExportOptions& options, unsigned threads)
        : m_readPath(readPath), m_options(options), m_original(options), m_threads(threads),
          m_splitter(options.dataKinds, kChunkBytes) {}

    // The first pass; fills the result's read figures and the error when it fails.
    bool Measure(CDxfDocument& measured, IFrtDiagnostics* diagnostics, ConversionResult& result) {
        if (!m_splitter.Open(m_readPath)) {
            result.read.error = m_splitter.Error();
            return false;
        }
        result.read.opened = true;
        CProgressBar& progress = CProgressBar::Instance();
        ChunkPipeline pipeline(m_threads);
        const bool done = pipeline.Run(
            JobMaker(m_splitter, m_readPath, m_original, true, diagnostics != nullptr),
            [](std::string_view) { return true; },
            [&](ChunkPipeline::Job& finished) {
                auto& job = static_cast<ChunkJob&>(finished);
                if (diagnostics != nullptr)
                    for (const Finding& f : job.findings())
                        diagnostics->Warn(f.line, f.key, f.value, f.problem);
                result.read.bytes += job.read.bytes;
                result.read.checksum = Checksum::Combine(result.read.checksum, job.read.checksum);
                result.read.elements += job.read.elements;
                if (!job.read.Ok()) {
                    result.read.error = job.read.error;
                    return false;
                }
                measured.merge(job.document());
                TakeLabelLayers(job.options());
                progress.StepBy(static_cast<std::int64_t>(job.read.bytes));
                return true;
            });
        if (done && !m_splitter.Error().empty())
            result.read.error = m_splitter.Error();
        return done && result.read.Ok();
    }

    // The second pass, writing to the stream; the error text, or empty.
    std::string Stream(const CDxfDocument& measured, const FirstLook& first, TextStream& stream) {
        if (!m_splitter.Open(m_readPath))
            return m_splitter.Error();
        CProgressBar& progress = CProgressBar::Instance();
        CDxfDocument streamed;
        std::string error;
        std::uint64_t checksum = 0;
        ChunkPipeline pipeline(m_threads);
        const bool done = pipeline.Run(
            JobMaker(m_splitter, m_readPath, m_original, false, false),
            [&stream](std::string_view bytes) {
                stream.Bytes(bytes);
                return !stream.Failed();
            },
            [&](ChunkPipeline::Job& finished) {
                auto& job = static_cast<ChunkJob&>(finished);
                if (!job.read.Ok()) {
                    error = job.read.error;
                    return false;
                }
                if (!job.writeError.empty()) {
                    error = job.writeError;
                    return false;
                }
                streamed.merge(job.document());
                checksum = Checksum::Combine(checksum, job.read.checksum);
                progress.StepBy(job.document().entityCount());
                return true;
            });
        if (stream.Failed())
            return stream.Error();
        if (!done)
            return error;
        if (!m_splitter.Error().empty())
            return m_splitter.Error();
        return ChangedWhileConverted(m_readPath, first, checksum, streamed, measured);
    }

private:
    // The conversion names label layers without blanks in the options it is given; the caller's
    // options learn of it as they do from the single-threaded conversion.
    void TakeLabelLayers(const ExportOptions& converted) {
        for (std::size_t i = 0; i < m_options.labels.size() && i < converted.labels.size(); ++i)
            m_options.labels[i].layerName = converted.labels[i].layerName;
    }

    const std::string& m_readPath;
    ExportOptions& m_options;
    const ExportOptions m_original;
    unsigned m_threads;
    FrtSplitter m_splitter;
};

ConversionResult ConvertParallel(const std::string& readPath, const std::string& writePath,
                                 ExportOptions& options, IFrtDiagnostics* diagnostics, bool strict,
                                 unsigned threads, const filesys::FileState& before) {
    ConversionResult result;
    ParallelPasses passes(readPath, options, threads);
    // The measured document is made like a converter's, so it has the symbol blocks.
    ExportOptions forBlocks = options;
    CFrtToDxf blocks(&forBlocks);
    CDxfDocument& measured = *blocks.GetDocument();
    measured.measureOnly();
    std::optional<CountingDiagnostics> counting;
    if (diagnostics != nullptr)
        counting.emplace(*diagnostics);

    CProgressBar& progress = CProgressBar::Instance();
    progress.SetRange(0, static_cast<std::int64_t>(before.size), 1);
    if (!passes.Measure(measured, counting ? &*counting : nullptr, result)) {
        result.error = result.read.error;
        return result;
    }
    const FirstLook first{before, result.read.checksum};
    if (!StillAsBefore(readPath, before, result))
        return result;
    result.warnings = counting ? counting->count : 0;
    if (RefusedAsStrict(result, strict))
        return result;
    result.entities = measured.entityCount();
    result.layers = measured.tables().layers().size();
    progress.SetRange(0, result.entities, 1);
    const DxfWriteResult written =
        measured.writeStreaming(writePath, WriteSettingsFor(options),
                                [&](TextStream& stream) { return passes.Stream(measured, first, stream); });
    TakeWritten(written, result);
    return result;
}

ConversionResult Convert(const std::string& readPath, const std::string& writePath, ExportOptions& options,
                         IFrtDiagnostics* diagnostics, bool strict, unsigned threads) {
    ConversionResult result;
    // The file as it is now: any change to it until the drawing is complete is noticed.
    const filesys::FileState before = filesys::StateOf(readPath);
    if (!before.exists) {
        result.error = before.error;
        return result;
    }
    // A small file is not worth the threads.
    if (threads > 1 && before.size >= 2 * kChunkBytes)
        return ConvertParallel(readPath, writePath, options, diagnostics, strict, threads, before);

    // Two passes over the file, so that no entity is held: the first measures what the header
    // and the tables need, the second writes the entities as they are made.
    const ExportOptions original = options;
    auto converter = std::make_unique<CFrtToDxf>(&options);
    CFrtToDxf* conversion = converter.get();
    conversion->GetDocument()->measureOnly();
    CFrtReader reader(std::move(converter), &options.dataKinds);
    std::optional<CountingDiagnostics> counting;
    if (diagnostics != nullptr)
        reader.SetDiagnostics(&counting.emplace(*diagnostics));

    CProgressBar& progress = CProgressBar::Instance();
    progress.SetRange(0, static_cast<std::int64_t>(before.size), 1);
    result.read = reader.Read(readPath);
    if (!result.read.Ok()) {
        result.error = result.read.error;
        return result;
    }
    const FirstLook first{before, result.read.checksum};
    if (!StillAsBefore(readPath, before, result))
        return result;
    result.warnings = counting ? counting->count : 0;
    if (RefusedAsStrict(result, strict))
        return result;

    const CDxfDocument& measured = *conversion->GetDocument();
    const DxfWriteSettings settings = WriteSettingsFor(options);
    result.entities = measured.entityCount();
    result.layers = measured.tables().layers().size();
    progress.SetRange(0, result.entities, 1);
    const DxfWriteResult written = measured.writeStreaming(writePath, settings, [&](TextStream& stream) {
        return StreamEntities(readPath, original, measured, first, stream);
    });
    TakeWritten(written, result);
    return result;
}

} // namespace

ConversionResult ConvertFile(const std::string& readPath, const std::string& writePath,
                             ExportOptions& options, IFrtDiagnostics* diagnostics, bool strict,
                             unsigned threads) {
    try {
        return Convert(readPath, writePath, options, diagnostics, strict, threads);
    } catch (const std::bad_alloc&) {
        // Everything the run built is released on the way here, and the target is untouched.
        ConversionResult result;
        result.error = std::generic_category().message(ENOMEM);
        return result;
    }
}

} // namespace exportrun
