#include "ExportRun.h"

#include "CFrtReader.h"
#include "CFrtToDxf.h"
#include "CProgressBar.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

DxfWriteSettings WriteSettingsFor(const ExportOptions& options) {
    DxfWriteSettings settings;
    settings.symbolScale = options.symbolScale;
    settings.pointMode = (options.flags & OPT_SYMBOLS) != 0 ? 0 : 2;
    settings.decimals = 6;
    return settings;
}

namespace {

ConversionResult Convert(const std::string& readPath, const std::string& writePath, ExportOptions& options) {
    ConversionResult result;
    auto converter = std::make_unique<CFrtToDxf>(&options);
    CFrtToDxf* conversion = converter.get();
    CFrtReader reader(std::move(converter), &options.dataKinds);

    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(readPath, ec);
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

    const CDxfDocument* document = conversion->GetDocument();
    const DxfWriteSettings settings = WriteSettingsFor(options);
    result.entities = document->entityCount();
    result.layers = document->tables().layers().size();
    progress.SetRange(0, result.entities, 1);
    const DxfWriteResult written = document->write(writePath, &settings);
    result.ok = written.ok;
    result.error = written.error;
    return result;
}

} // namespace

ConversionResult ConvertFile(const std::string& readPath, const std::string& writePath, ExportOptions& options) {
    try {
        return Convert(readPath, writePath, options);
    } catch (const std::bad_alloc&) {
        // Everything the run built is released on the way here, and the target is untouched.
        ConversionResult result;
        result.error = std::generic_category().message(ENOMEM);
        return result;
    }
}
