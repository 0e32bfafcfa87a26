#pragma once

#include "common/CWritable.h"
#include "common/TextStream.h"
#include "dxf/CDxfCircle.h"
#include "dxf/CDxfDocument.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "export/DrawingFile.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Copies of the entities a document streams from now on, for a test to look at; the text goes
// to a string.
class KeptEntities : public IEntityObserver {
public:
    explicit KeptEntities(CDxfDocument& document) : m_stream(m_sink) {
        document.streamTo(m_stream);
        document.observeStreamed(this);
    }
    void Streamed(const CDxfEntity& entity) override { entities.push_back(Copy(entity)); }
    // What was streamed, as written.
    [[nodiscard]] std::string Text() {
        EXPECT_TRUE(m_stream.Flush());
        return m_sink.Text();
    }

    std::deque<std::unique_ptr<CDxfEntity>> entities;

private:
    static std::unique_ptr<CDxfEntity> Copy(const CDxfEntity& entity) {
        switch (entity.entityType()) {
        case DXF_ENTITY_POINT:
            return std::make_unique<CDxfPoint>(static_cast<const CDxfPoint&>(entity));
        case DXF_ENTITY_TEXT:
            return std::make_unique<CDxfText>(static_cast<const CDxfText&>(entity));
        case DXF_ENTITY_INSERT:
            return std::make_unique<CDxfInsert>(static_cast<const CDxfInsert&>(entity));
        case DXF_ENTITY_LINE:
            return std::make_unique<CDxfLine>(static_cast<const CDxfLine&>(entity));
        case DXF_ENTITY_POLYLINE:
            return std::make_unique<CDxfPolyline>(static_cast<const CDxfPolyline&>(entity));
        case DXF_ENTITY_CIRCLE:
            return std::make_unique<CDxfCircle>(static_cast<const CDxfCircle&>(entity));
        default:
            ADD_FAILURE() << "an entity of kind " << entity.entityType() << " was streamed";
            return nullptr;
        }
    }

    StringSink m_sink;
    TextStream m_stream;
};

// A drawing made as a conversion makes one: each entity added is measured at once, and kept
// here to be streamed after the prologue when the drawing is written.
class TestDrawing {
public:
    void add(std::unique_ptr<CDxfEntity> entity) {
        measured.add(*entity);
        m_entities.push_back(std::move(entity));
    }
    // The second pass: the entities again, streamed.
    [[nodiscard]] CDxfDocument::EntityWriter Entities() const {
        return [this](TextStream& out) {
            CDxfDocument streamed;
            streamed.streamTo(out);
            for (const auto& entity : m_entities)
                streamed.add(*entity);
            return Failure();
        };
    }

    CDxfDocument measured;

private:
    std::vector<std::unique_ptr<CDxfEntity>> m_entities;
};

// Writes the drawing to the path, replacing what is there, as a conversion does.
inline DxfWriteResult WriteDrawing(const TestDrawing& drawing, const std::string& path,
                                   const DxfWriteSettings& settings = {}) {
    AtomicFile file(path);
    return WriteDrawingFile(drawing.measured, file, settings, drawing.Entities());
}

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

inline std::string DocumentText(const TestDrawing& drawing, double symbolScale = 0.05,
                                std::uint8_t pointMode = 0) {
    StringSink sink;
    {
        TextStream stream(sink);
        DxfWriteSettings settings;
        settings.symbolScale = symbolScale;
        settings.pointMode = pointMode;
        EXPECT_FALSE(drawing.measured.writeTo(stream, settings, drawing.Entities()));
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
