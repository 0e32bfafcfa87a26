#include "export/ExportRun.h"

#include "common/CProgressBar.h"
#include "common/Checksum.h"
#include "common/ChunkPipeline.h"
#include "common/CodePage.h"
#include "common/FileSystem.h"
#include "common/TextStream.h"
#include "convert/CFrtToDxf.h"
#include "export/DrawingFile.h"
#include "export/SvgPreview.h"
#include "frt/CFrtReader.h"
#include "frt/FrtSplitter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace exportrun {

DxfWriteSettings WriteSettingsFor(const ExportOptions& options) {
    DxfWriteSettings settings;
    settings.symbolScale = options.symbolScale;
    settings.pointMode = (options.flags & OPT_SYMBOLS) != 0 ? 0 : 2;
    settings.decimals = 6;
    settings.codePage = options.codePage;
    settings.extendedData = (options.flags & OPT_XDATA) != 0;
    return settings;
}

namespace {

// The kinds of entity a drawing's ENTITIES section holds, with their DXF names.
constexpr std::pair<DxfEntityType, const char*> kEntityKinds[] = {
    {DXF_ENTITY_POINT, "POINT"},   {DXF_ENTITY_INSERT, "INSERT"},     {DXF_ENTITY_TEXT, "TEXT"},
    {DXF_ENTITY_LINE, "LINE"},     {DXF_ENTITY_POLYLINE, "POLYLINE"}, {DXF_ENTITY_VERTEX, "VERTEX"},
    {DXF_ENTITY_CIRCLE, "CIRCLE"}, {DXF_ENTITY_ATTRIB, "ATTRIB"}};

bool SameNumber(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool SamePoint(const DxfPoint3& a, const DxfPoint3& b) {
    return SameNumber(a.x, b.x) && SameNumber(a.y, b.y) && SameNumber(a.z, b.z);
}

// Whether the second pass made exactly the drawing the first measured: its header and tables
// come from the first.
bool SameMeasure(const CDxfDocument& made, const CDxfDocument& measured) {
    const CDxfTables& a = made.tables();
    const CDxfTables& b = measured.tables();
    return made.entityCount() == measured.entityCount() &&
           std::all_of(std::begin(kEntityKinds), std::end(kEntityKinds),
                       [&](const auto& kind) {
                           return made.entitiesOfType(kind.first) == measured.entitiesOfType(kind.first);
                       }) &&
           SamePoint(a.extMin(), b.extMin()) && SamePoint(a.extMax(), b.extMax()) &&
           std::equal(a.layers().begin(), a.layers().end(), b.layers().begin(), b.layers().end(),
                      [](const CDxfLayer& x, const CDxfLayer& y) {
                          return x.name == y.name && x.lineType == y.lineType && x.colour == y.colour &&
                                 x.entities == y.entities;
                      });
}

// Strict mode writes nothing for a file with findings.
bool RefusedAsStrict(const std::string& readPath, ConversionResult& result, bool strict) {
    if (!strict || result.warnings == 0)
        return false;
    result.failure = Failure(Failure::Stage::Refused, readPath,
                             std::to_string(result.warnings) + " questionable value(s) in the input");
    return true;
}

// What the first pass measured, for the report: entities by layer (named as UTF-8) and by kind,
// and the extents.
void AddMeasuredFigures(const CDxfDocument& measured, const codepage::Page& page, ConversionResult& result) {
    result.entities = measured.entityCount();
    result.layers = measured.tables().layers().size();
    for (const CDxfLayer& layer : measured.tables().layers())
        result.layerEntities.push_back({codepage::ToUtf8(layer.name, page), layer.entities});
    for (const auto& [type, name] : kEntityKinds)
        if (const std::uint64_t count = measured.entitiesOfType(type); count > 0)
            result.typeEntities.push_back({name, count});
    result.low = measured.tables().extMin();
    result.high = measured.tables().extMax();
}

void AddWriteOutcome(const DxfWriteResult& written, ConversionResult& result) {
    result.bytes = written.bytes;
    result.failure = written.failure;
}

// What the first pass saw of the file: the file itself and the checksum of its bytes.
struct FirstPassView {
    filesys::FileState state;
    std::uint64_t checksum = 0;
};

// None when the file is still the one the first pass began with, unchanged, and when the bytes
// read since were the same.
Failure ChangedSince(const std::string& readPath, const filesys::FileState& before, bool sameBytes = true) {
    if (sameBytes && filesys::StateOf(readPath).SameAs(before))
        return {};
    return {Failure::Stage::Refused, readPath, "was changed while it was converted"};
}

// None when the second pass read the same file and bytes as the first and made exactly the
// drawing the first pass measured. A rewrite that keeps the entity count and layers (an easting
// changed in place) would otherwise mix the two versions in one drawing.
Failure ChangedWhileConverted(const std::string& readPath, const FirstPassView& first, std::uint64_t checksum,
                              const CDxfDocument& made, const CDxfDocument& measured) {
    if (Failure changed = ChangedSince(readPath, first.state, checksum == first.checksum))
        return changed;
    // The same bytes twice: a difference is this program's fault, and the header would be wrong.
    if (!SameMeasure(made, measured))
        return {Failure::Stage::Refused, readPath,
                "its drawing did not come out as measured (a fault of this program)"};
    return {};
}

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

// What a pass over the file does, the same for each of its chunks.
struct PassSetup {
    bool measure = true;                 // the first pass: measures what the header needs, writes nothing
    bool diagnose = false;               // findings are collected (first pass)
    const SvgPreview* preview = nullptr; // the picture drawn as the drawing is written, if any
    const LayerNames* names = nullptr;   // the layers' names, made from what the first pass measured
    bool hatchBlocks = false;            // the pass that writes the hatches' block definitions
    bool utf8 = false;                   // the input's texts are UTF-8
    const codepage::Page* page = &codepage::kWindows1252;   // the drawing's
    std::size_t pieceVertices = CFrtReader::kPieceVertices; // of a line held at most
};

// One chunk of the file converted on a worker thread: measured in the first pass, written in
// the second.
class ChunkJob : public ChunkPipeline::Job {
public:
    ChunkJob(const std::string& path, const FrtChunk& chunk, const ExportOptions& options,
             const PassSetup& setup)
        : m_path(path), m_chunk(chunk), m_options(options), m_setup(setup) {}

    void Run(ITextSink& out) override {
        // The run's measured document has the symbol blocks; a chunk only refers to them.
        auto converter = std::make_unique<CFrtToDxf>(&m_options, CFrtToDxf::SymbolBlocks::Skip,
                                                     CFrtToDxf::LayerNaming{m_setup.measure, m_setup.names});
        m_document = converter->GetDocument();
        converter->SetDiagnostics(m_setup.diagnose ? &m_diagnostics : nullptr);
        if (m_setup.hatchBlocks)
            converter->MakeHatchBlocks();
        std::optional<TextStream> stream;
        if (!m_setup.measure) {
            stream.emplace(out, WriteSettingsFor(m_options).decimals, std::move(t_streamBuffer));
            stream->SetInputIsUtf8(m_setup.utf8);
            stream->SetCodePage(*m_setup.page);
            m_document->streamTo(*stream);
            if (m_setup.preview != nullptr)
                m_document->observeStreamed(&m_piece.emplace(*m_setup.preview));
        }
        FrtReadPass pass;
        pass.diagnostics = m_setup.diagnose ? &m_diagnostics : nullptr;
        pass.evidence = m_setup.measure ? &m_evidence : nullptr;
        pass.heightsDrawn = (m_options.flags & OPT_3D) != 0;
        pass.measuring = m_setup.measure;
        pass.pieceVertices = m_setup.pieceVertices;
        m_reader = std::make_unique<CFrtReader>(std::move(converter), &m_options.dataKinds, pass);
        read = m_reader->ReadChunk(m_path, m_chunk);
        if (stream && !stream->Flush())
            writeFailure = stream->Error();
        if (stream) {
            notes = stream->Notes();
            t_streamBuffer = stream->TakeBuffer();
        }
    }

    [[nodiscard]] const CDxfDocument& document() const { return *m_document; }
    // What the chunk's texts said of their encoding (first pass).
    [[nodiscard]] const codepage::Evidence& evidence() const { return m_evidence; }
    [[nodiscard]] const std::vector<Finding>& findings() const { return m_diagnostics.findings; }
    // What the job drew of the picture, when one is made.
    [[nodiscard]] const std::optional<SvgPreview::Piece>& piece() const { return m_piece; }

    FrtReadResult read;
    Failure writeFailure;
    codepage::Notes notes; // what the chunk's texts could not be written as (second pass)

private:
    const std::string& m_path;
    FrtChunk m_chunk;
    const ExportOptions& m_options;
    PassSetup m_setup;
    codepage::Evidence m_evidence;
    std::optional<SvgPreview::Piece> m_piece;
    CollectingDiagnostics m_diagnostics;
    std::unique_ptr<CFrtReader> m_reader; // owns the converter, which owns the document
    CDxfDocument* m_document = nullptr;
};

bool StartsWithByteOrderMark(const std::string& path) {
    ErrorOr<filesys::FilePtr> file = filesys::OpenFile(path, "rb");
    char head[3] = {};
    return file && std::fread(head, 1, 3, file->get()) == 3 && utf8::StartsWithByteOrderMark({head, 3});
}

// Makes a job per chunk of the file, for one pass.
ChunkPipeline::NextJob JobMaker(FrtSplitter& splitter, const std::string& path, const ExportOptions& options,
                                const PassSetup& setup) {
    return [&splitter, &path, &options, setup]() -> std::unique_ptr<ChunkPipeline::Job> {
        FrtChunk chunk;
        if (!splitter.Next(chunk))
            return nullptr;
        return std::make_unique<ChunkJob>(path, chunk, options, setup);
    };
}

// Both passes over the file, cut into chunks that `threads` workers convert at once (with one
// thread, one after the other on the calling thread). No entity is held: the first pass measures
// what the header and the tables need, merging what the chunks measured in file order; the second
// writes the chunks' text in file order, so the drawing does not depend on the number of threads.
class TwoPasses {
public:
    TwoPasses(const std::string& readPath, const ExportOptions& options, unsigned threads,
              std::uint64_t chunkBytes, std::size_t pieceVertices)
        : m_readPath(readPath), m_options(options), m_threads(threads), m_pieceVertices(pieceVertices),
          m_splitter(options.dataKinds, chunkBytes) {}

    // The first pass; fills the result's read figures and the error when it fails.
    bool Measure(CDxfDocument& measured, IFrtDiagnostics* diagnostics, ConversionResult& result) {
        if (!m_splitter.Open(m_readPath)) {
            result.read.error = m_splitter.Error();
            return false;
        }
        result.read.opened = true;
        PassSetup first;
        first.diagnose = diagnostics != nullptr;
        first.pieceVertices = m_pieceVertices;
        CProgressBar& progress = CProgressBar::Instance();
        ChunkPipeline pipeline(m_threads);
        const bool done = pipeline.Run(
            JobMaker(m_splitter, m_readPath, m_options, first), [](std::string_view) { return true; },
            [&](ChunkPipeline::Job& finished) {
                auto& job = static_cast<ChunkJob&>(finished);
                if (diagnostics != nullptr)
                    for (const Finding& f : job.findings())
                        diagnostics->Warn(f.line, f.key, f.value, f.problem);
                result.warnings += job.findings().size();
                result.read.bytes += job.read.bytes;
                result.read.checksum = Checksum::Combine(result.read.checksum, job.read.checksum);
                result.read.elements += job.read.elements;
                result.read.points += job.read.points;
                result.read.lines += job.read.lines;
                result.read.areas += job.read.areas;
                if (!job.read.Ok()) {
                    result.read.error = job.read.error;
                    return false;
                }
                measured.merge(job.document());
                m_evidence.Add(job.evidence());
                progress.StepBy(static_cast<std::int64_t>(job.read.bytes));
                return true;
            });
        // A byte-order mark says UTF-8 by itself; else the texts' bytes decide.
        result.utf8Texts = StartsWithByteOrderMark(m_readPath) || m_evidence.Utf8();
        if (done && m_splitter.Error())
            result.read.error = m_splitter.Error();
        return done && result.read.Ok();
    }

    // What the first pass found of the texts' characters.
    [[nodiscard]] const codepage::Evidence& Evidence() const { return m_evidence; }

    // The second pass, writing the entities to the stream and drawing the preview, if any; why it
    // failed, if it did. What the texts could not be written as goes to `notes`.
    Failure Stream(const CDxfDocument& measured, const FirstPassView& first, const LayerNames& names,
                   TextStream& stream, SvgPreview* preview, codepage::Notes& notes) {
        CDxfDocument streamed;
        std::uint64_t checksum = 0;
        if (Failure failure = Write(false, names, stream, preview, notes, streamed, checksum))
            return failure;
        return ChangedWhileConverted(m_readPath, first, checksum, streamed, measured);
    }

    // The pass before it that writes the hatches' block definitions, and draws them first.
    Failure StreamHatchBlocks(const FirstPassView& first, const LayerNames& names, TextStream& stream,
                              SvgPreview* preview, codepage::Notes& notes) {
        CDxfDocument streamed;
        std::uint64_t checksum = 0;
        if (Failure failure = Write(true, names, stream, preview, notes, streamed, checksum))
            return failure;
        return ChangedSince(m_readPath, first.state, checksum == first.checksum);
    }

private:
    // A pass that writes: the entities, or the hatches' blocks.
    Failure Write(bool hatchBlocks, const LayerNames& names, TextStream& stream, SvgPreview* preview,
                  codepage::Notes& notes, CDxfDocument& streamed, std::uint64_t& checksum) {
        if (!m_splitter.Open(m_readPath))
            return m_splitter.Error();
        CProgressBar& progress = CProgressBar::Instance();
        Failure failure;
        ChunkPipeline pipeline(m_threads);
        PassSetup second;
        second.measure = false;
        second.hatchBlocks = hatchBlocks;
        second.pieceVertices = m_pieceVertices;
        second.preview = preview;
        second.names = &names;
        second.utf8 = stream.InputIsUtf8();
        second.page = &stream.CodePage();
        const bool done = pipeline.Run(
            JobMaker(m_splitter, m_readPath, m_options, second),
            [&stream](std::string_view bytes) {
                stream.Bytes(bytes);
                return !stream.Failed();
            },
            [&](ChunkPipeline::Job& finished) {
                auto& job = static_cast<ChunkJob&>(finished);
                if (!job.read.Ok()) {
                    failure = job.read.error;
                    return false;
                }
                if (job.writeFailure) {
                    failure = job.writeFailure;
                    return false;
                }
                streamed.merge(job.document());
                notes.Add(job.notes);
                if (preview != nullptr && job.piece())
                    preview->Add(*job.piece());
                checksum = Checksum::Combine(checksum, job.read.checksum);
                if (!hatchBlocks) // the progress counts the entities the first pass measured
                    progress.StepBy(job.document().entityCount());
                return true;
            });
        if (stream.Failed())
            return stream.Error();
        if (!done)
            return failure;
        return m_splitter.Error();
    }

    const std::string& m_readPath;
    const ExportOptions& m_options;
    unsigned m_threads;
    std::size_t m_pieceVertices;
    FrtSplitter m_splitter;
    codepage::Evidence m_evidence;
};

// The page the drawing's texts are written in: the one chosen; for a UTF-8 survey, the one that
// holds its characters (Evidence::BestPage); else Windows-1252, as readers take an 8-bit drawing
// that declares none.
const codepage::Page& PageFor(const ExportOptions& options, bool utf8, const codepage::Evidence& evidence) {
    if (options.codePage != nullptr)
        return *options.codePage;
    return utf8 ? evidence.BestPage() : codepage::kWindows1252;
}

// The layers' names as the drawing gives them, made from the measured layers in the order they
// were met, and the measured document's layers renamed so. A survey's names are read in its
// encoding; a label layer's as it looks, as the Linux dialog takes UTF-8 whatever the survey is.
LayerNames NameLayers(CDxfDocument& measured, const ExportOptions& options, const codepage::Page& page,
                      bool utf8) {
    LayerNames names(page, (options.flags & OPT_ASCII_NAMES) != 0);
    const auto isLabelLayer = [&options](const std::string& name) {
        return std::any_of(options.labels.begin(), options.labels.end(),
                           [&name](const LabelSpec& label) { return label.layerName == name; });
    };
    measured.renameLayers([&](const std::string& given) {
        return names.Add(given, isLabelLayer(given) ? LayerNames::LooksUtf8(given) : utf8);
    });
    return names;
}

ConversionResult Convert(const std::string& readPath, const std::string& writePath,
                         const ExportOptions& options, const RunSettings& run) {
    ConversionResult result;
    // The file as it is now: any change to it until the drawing is complete is noticed.
    const filesys::FileState before = filesys::StateOf(readPath);
    if (!before.exists) {
        result.failure = Failure(Failure::Stage::Read, readPath, before.error);
        return result;
    }
    // A small file is not worth the threads.
    TwoPasses passes(readPath, options, before.size >= 2 * run.chunkBytes ? run.threads : 1, run.chunkBytes,
                     run.pieceVertices);
    // The measured document is made like a converter's, so it has the symbol blocks.
    CFrtToDxf blocks(&options);
    CDxfDocument& measured = *blocks.GetDocument();

    CProgressBar& progress = CProgressBar::Instance();
    progress.SetRange(0, static_cast<std::int64_t>(before.size), 1);
    if (!passes.Measure(measured, run.diagnostics, result)) {
        result.failure = result.read.error;
        return result;
    }
    const FirstPassView first{before, result.read.checksum};
    result.failure = ChangedSince(readPath, before);
    if (result.failure || RefusedAsStrict(readPath, result, run.strict))
        return result;
    const codepage::Page& page = PageFor(options, result.utf8Texts, passes.Evidence());
    const LayerNames names = NameLayers(measured, options, page, result.utf8Texts);
    result.mendedLayers = names.MendedNames();
    result.codePage = page.name;
    AddMeasuredFigures(measured, page, result);
    if (run.dryRun)
        return result;
    progress.SetRange(0, result.entities, 1);
    std::optional<SvgPreview> preview;
    bool undrawable = false;
    if (!run.preview.empty()) {
        const std::uint64_t texts = run.previewLabels ? 0 : measured.entitiesOfType(DXF_ENTITY_TEXT);
        SvgPreview::Frame frame{&measured.tables(),
                                static_cast<std::uint64_t>(result.entities) - texts,
                                run.previewTitle.empty()
                                    ? filesys::TextOf(filesys::PathOf(readPath).filename())
                                    : run.previewTitle,
                                run.previewLabels,
                                result.utf8Texts,
                                &page};
        preview.emplace(run.preview, std::move(frame));
        if (!run.sync)
            preview->SkipSync();
        // The drawing does not depend on its picture: one that cannot be drawn is left out and said.
        undrawable = !preview->Drawable();
        if (undrawable)
            preview.reset();
        else if (!preview->Open()) {
            result.failure = preview->Error();
            return result;
        }
    }
    DxfWriteSettings settings = WriteSettingsFor(options);
    settings.inputIsUtf8 = result.utf8Texts;
    // Declared where chosen, and where the survey's characters chose another page than the one
    // readers take by default: a Windows-1252 drawing stays as it always was.
    if (settings.codePage == nullptr && &page != &codepage::kWindows1252)
        settings.codePage = &page;
    AtomicFile file(writePath,
                    run.replaceExisting ? AtomicFile::Existing::Replace : AtomicFile::Existing::Keep);
    file.CheckBeforeCommit(run.beforeCommit);
    if (!run.sync)
        file.SkipSync();
    file.WaitForLock(run.lockWait);
    SvgPreview* const picture = preview ? &*preview : nullptr;
    CDxfDocument::EntityWriter hatchBlocks;
    if ((options.flags & OPT_HATCH) != 0)
        hatchBlocks = [&](TextStream& stream) {
            return passes.StreamHatchBlocks(first, names, stream, picture, result.textNotes);
        };
    const DxfWriteResult written = WriteDrawingFile(
        measured, file, settings,
        [&](TextStream& stream) {
            return passes.Stream(measured, first, names, stream, picture, result.textNotes);
        },
        hatchBlocks);
    AddWriteOutcome(written, result);
    if (result.Ok() && preview && !preview->Finish()) {
        result.failure = preview->Error();
        result.failure.stage = Failure::Stage::Picture;
    }
    if (result.Ok() && undrawable) {
        result.pictureLeftOut = true;
        result.failure = Failure(Failure::Stage::Picture, run.preview,
                                 "the drawing's extents are too large to draw (a coordinate near the largest "
                                 "number); no picture was made");
    }
    return result;
}

} // namespace

ConversionResult ConvertFile(const std::string& readPath, const std::string& writePath,
                             const ExportOptions& options, const RunSettings& run) {
    try {
        return Convert(readPath, writePath, options, run);
    } catch (const std::bad_alloc&) {
        // Everything the run built is released on the way here, and the target is untouched.
        ConversionResult result;
        result.failure =
            Failure(Failure::Stage::Read, readPath, std::make_error_code(std::errc::not_enough_memory));
        return result;
    }
}

} // namespace exportrun
