#pragma once

#include "common/CWritable.h"
#include "common/TextStream.h"
#include "dxf/CDxfDocument.h"

#include <string>
#include <vector>

// The text that one record or document writes, with the line ends made visible as "|".
inline std::string Written(const CWritable& record, int decimals = 6) {
    StringSink sink;
    {
        TextStream stream(sink, decimals);
        record.write(stream);
    }
    std::string text;
    for (char c : sink.Text()) {
        if (c == '\r')
            continue;
        text += c == '\n' ? '|' : c;
    }
    return text;
}

inline std::string DocumentText(const CDxfDocument& document, double symbolScale = 0.05,
                                std::uint8_t pointMode = 0) {
    StringSink sink;
    {
        TextStream stream(sink);
        DxfWriteSettings settings;
        settings.symbolScale = symbolScale;
        settings.pointMode = pointMode;
        document.writeTo(stream, settings);
    }
    return sink.Text();
}

// Splits CR LF text into its lines; a line end other than CR LF fails the check.
inline std::vector<std::string> Lines(const std::string& text, bool* onlyCrLf = nullptr) {
    std::vector<std::string> lines;
    std::string line;
    bool ok = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.push_back(line);
            line.clear();
            ++i;
        } else {
            ok = ok && text[i] != '\r' && text[i] != '\n';
            line += text[i];
        }
    }
    ok = ok && line.empty();
    if (onlyCrLf != nullptr)
        *onlyCrLf = ok;
    return lines;
}
