#include "export/DrawingFile.h"

#include "common/TextStream.h"

DxfWriteResult WriteDrawingFile(const CDxfDocument& document, AtomicFile& file,
                                const DxfWriteSettings& settings, const CDxfDocument::EntityWriter& produce,
                                const CDxfDocument::EntityWriter& blocks) {
    DxfWriteResult result;
    if (!file.Open()) {
        result.failure = file.Error();
        return result;
    }
    {
        TextStream stream(file, settings.decimals);
        if (Failure failure = document.writeTo(stream, settings, produce, blocks))
            result.failure = std::move(failure);
        else if (!stream.Flush())
            result.failure = stream.Error();
        result.bytes = stream.BytesWritten();
    }
    if (result.failure) {
        result.bytes = 0;
        result.failure.partial = file.WroteStraight(); // a file's temporary copy is discarded with it
        return result;
    }
    if (!file.Commit())
        result.failure = file.Error();
    return result;
}
