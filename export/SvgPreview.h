#pragma once

#include "common/AtomicFile.h"
#include "common/CodePage.h"
#include "dxf/CDxfTables.h"
#include "dxf/DxfPoint3.h"
#include "dxf/IEntityObserver.h"

#include <cstdint>
#include <string>

// A picture of a drawing as SVG, drawn while the drawing is written: points as small marks in
// their layer's colour, lines and areas as paths with their colours and dash patterns, labels if
// asked for. It fits 1600 pixels and names the file and the extents in a corner. A drawing of
// more than kMostDrawn drawable entities is thinned to every n-th, and the picture says so.
class SvgPreview {
public:
    static constexpr std::uint64_t kMostDrawn = 200000;
    static constexpr double kSize = 1600.0;

    // What the first pass of the conversion measured, and what the picture shows.
    struct Frame {
        const CDxfTables* tables = nullptr; // extents and the layers' colours
        std::uint64_t drawable = 0;         // the entities the picture draws, before thinning
        std::string title;                  // the drawing's file name
        bool labels = false;                // texts too
        bool utf8Texts = false;             // the survey's texts are UTF-8, else in the code page
        const codepage::Page* codePage = &codepage::kWindows1252; // the drawing's
    };

    // The part of the picture drawn from the entities of one chunk of the drawing, on the thread
    // that writes them; the preview takes the parts in drawing order.
    class Piece : public IEntityObserver {
    public:
        explicit Piece(const SvgPreview& preview) : m_preview(preview) {}
        void Streamed(const CDxfEntity& entity) override;
        // One element per line.
        [[nodiscard]] const std::string& Text() const { return m_text; }

    private:
        void Stroke(const DxfAttributes& attributes);

        const SvgPreview& m_preview;
        std::string m_text;
        DxfPoint3 m_chainFirst; // of a polyline that comes in pieces
        DxfPoint3 m_chainLast;
    };

    SvgPreview(const std::string& path, Frame frame);

    // Whether the drawing's extents fit a picture: a width or height beyond the largest number
    // (E=1e308 beside E=-1e308) has no scale, and such a picture is not made at all.
    [[nodiscard]] bool Drawable() const;
    // Creates the file and writes the picture's head; false with Error().
    [[nodiscard]] bool Open();
    // The picture is put in place without waiting for the disk (AtomicFile::SkipSync).
    void SkipSync() { m_file.SkipSync(); }
    // Takes the elements of a part, every n-th when thinning.
    void Add(const Piece& piece);
    // Writes the corner text and the end, and puts the file in place; false with Error().
    [[nodiscard]] bool Finish();
    [[nodiscard]] Failure Error() const;

private:
    void Write(const std::string& text);
    // The colour of an entity with these attributes, as SVG writes it.
    [[nodiscard]] const char* ColourOf(const DxfAttributes& attributes) const;
    // A drawing's coordinate in the picture: y grows downwards there.
    [[nodiscard]] double PictureX(double x) const { return (x - m_left) * m_scale; }
    [[nodiscard]] double PictureY(double y) const { return (m_top - y) * m_scale; }
    // A point of the drawing as picture coordinates, appended to the text.
    void AppendPoint(std::string& out, double x, double y) const;

    AtomicFile m_file;
    Frame m_frame;
    double m_scale = 1.0;
    double m_left = 0.0; // the drawing's x at the picture's left edge
    double m_top = 0.0;  // the drawing's y at the picture's top edge
    double m_width = kSize;
    double m_height = kSize;
    std::uint64_t m_every = 1; // every n-th element of each kind is drawn
    // Elements seen of each kind (points, labels, lines, areas), counted apart so that a kind
    // that comes in step with another (a line, then its vertices' symbols) is never left out.
    std::uint64_t m_seenOfKind[4] = {};
    std::uint64_t m_seen = 0;
    std::uint64_t m_drawn = 0;
    std::string m_buffer;
    bool m_failed = false;
};
