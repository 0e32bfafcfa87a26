#include "app/ExportRun.h"

#include "common/CProgressBar.h"
#include "common/FileSystem.h"
#include "common/TextStream.h"
#include "convert/CFrtToDxf.h"
#include "frt/CFrtReader.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <system_error>

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

// The second pass: converts the file again and writes each entity the moment it is made.
// Empty when it made exactly the drawing the first pass measured.
std::string StreamEntities(const std::string& readPath, ExportOptions options, const CDxfDocument& measured,
                           TextStream& stream) {
    auto converter = std::make_unique<CFrtToDxf>(&options);
    CDxfDocument* streaming = converter->GetDocument();
    streaming->streamTo(stream);
    CFrtReader reader(std::move(converter), &options.dataKinds);
    reader.SetProgressSteps(false); // this pass counts entities written
    const FrtReadResult read = reader.Read(readPath);
    if (!read.Ok())
        return read.error;
    if (streaming->entityCount() != measured.entityCount() ||
        !SameLayers(streaming->tables(), measured.tables()))
        return readPath + " was changed while it was converted; nothing was written";
    return {};
}

ConversionResult Convert(const std::string& readPath, const std::string& writePath, ExportOptions& options,
                         IFrtDiagnostics* diagnostics, bool strict) {
    ConversionResult result;
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

    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(filesys::PathOf(readPath), ec);
    if (ec) {
        result.error = ec.message();
        return result;
    }
    CProgressBar& progress = CProgressBar::Instance();
    progress.SetRange(0, static_cast<std::int64_t>(length), 1);
    result.read = reader.Read(readPath);
    if (!result.read.Ok()) {
        result.error = result.read.error;
        return result;
    }
    result.warnings = counting ? counting->count : 0;
    if (strict && result.warnings > 0) {
        result.error =
            std::to_string(result.warnings) + " questionable value(s) in the input; nothing was written";
        return result;
    }

    const CDxfDocument& measured = *conversion->GetDocument();
    const DxfWriteSettings settings = WriteSettingsFor(options);
    result.entities = measured.entityCount();
    result.layers = measured.tables().layers().size();
    progress.SetRange(0, result.entities, 1);
    const DxfWriteResult written = measured.writeStreaming(writePath, settings, [&](TextStream& stream) {
        return StreamEntities(readPath, original, measured, stream);
    });
    result.ok = written.ok;
    result.error = written.error;
    result.targetDamaged = written.damaged;
    result.keptDrawing = written.keptPath;
    return result;
}

} // namespace

ConversionResult ConvertFile(const std::string& readPath, const std::string& writePath,
                             ExportOptions& options, IFrtDiagnostics* diagnostics, bool strict) {
    try {
        return Convert(readPath, writePath, options, diagnostics, strict);
    } catch (const std::bad_alloc&) {
        // Everything the run built is released on the way here, and the target is untouched.
        ConversionResult result;
        result.error = std::generic_category().message(ENOMEM);
        return result;
    }
}

} // namespace exportrun
