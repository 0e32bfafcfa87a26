#pragma once

#include "convert/ExportOptions.h"
#include "dxf/CDxfDocument.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "frt/CFrtArea.h"
#include "frt/CFrtLine.h"
#include "frt/CFrtPoint.h"
#include "frt/IFrtConsumer.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The conversion engine: turns each FRT element handed to Process into entities of the
// document it owns, under the user's options, and destroys the element at once.
class CFrtToDxf : public IFrtConsumer {
public:
    // Whether the document gets the symbol blocks: a converter of one chunk of a file does not
    // need them, the run's document has them.
    enum class SymbolBlocks { Build, Skip };

    // The options must outlive the converter.
    explicit CFrtToDxf(const ExportOptions* options, SymbolBlocks blocks = SymbolBlocks::Build);

    void Process(std::unique_ptr<CFrtElement> element) override;

    void SetOptions(const ExportOptions* options) {
        m_options = options;
        PrepareLabelLayers();
        PrepareInsert();
        m_groupLayers = {};
    }
    [[nodiscard]] const ExportOptions* GetOptions() const { return m_options; }
    [[nodiscard]] CDxfDocument* GetDocument() const { return m_document.get(); }
    void SetDocument(std::unique_ptr<CDxfDocument> document) { m_document = std::move(document); }

    // "0" without one layer per code group or for an empty or one-blank group; otherwise the
    // group with its blanks made underscores.
    [[nodiscard]] std::string ElementLayer(const CFrtElement& element) const;
    static std::string& BlanksToUnderscores(std::string& text);
    // A layer name every reader takes: blanks (BlanksToUnderscores), control characters and the
    // characters readers refuse in a table name (< > / \ " : ; ? * | = `) become underscores.
    // False when only blanks, or nothing, changed.
    static bool MendLayerName(std::string& text);
    // The layer names written otherwise than given because of refused characters: (given,
    // written), each once, in the order met.
    using MendedNames = std::vector<std::pair<std::string, std::string>>;
    [[nodiscard]] const MendedNames& MendedLayers() const { return m_mendedLayers; }
    // Names layers as the measured tables spell them: a layer met as "TREE" first is written
    // so on every entity, also where the input says "tree". Null: as the input spells them.
    void UseLayerSpellings(const CDxfTables* spellings);

    void ExportPoint(const CFrtPoint& point);
    void ExportLine(const CFrtLine& line);
    void ExportArea(const CFrtArea& area);
    void BuildSymbolBlocks();

    // The tags of the point attributes, in the order the inserts carry them.
    static constexpr const char* kAttributeTags[] = {"PID", "HEIGHT", "CODE", "CLASS"};

private:
    // The position the drawing gives the coordinates, with the input's spellings of its numbers;
    // two-dimensional (z NaN) unless `threeD`.
    [[nodiscard]] DxfPoint3 PositionOf(const FrtCoordinates& c, bool threeD) const;
    void ExportChain(const CFrtLine& line, bool closed);
    // The reused polyline with the line's vertices and attributes, but for the vertices' layer.
    void FillPolyline(const CFrtLine& line, bool closed);
    // The insert's point attributes (kAttributeTags) with the point's values.
    void SetAttributeValues(const CFrtPoint& point, CDxfInsert& insert);
    void ExportLabel(const CFrtPoint& point, std::size_t index, double z);
    void PrepareLabelLayers();
    // Gives the reused insert its point attributes when the options ask for them.
    void PrepareInsert();
    // The element's layer (ElementLayer), made in `room` when it is not "0": a caller that keeps
    // the room needs no string of its own per element.
    std::string_view LayerOf(const CFrtElement& element, std::string& room) const;
    // LayerOf for a point: its code group's layer is worked out once and then found by the group.
    std::string_view PointLayer(const CFrtPoint& point);
    // A LINE's attributes, and a POLYLINE's apart from its thickness.
    [[nodiscard]] DxfAttributes ChainAttributes(const CFrtLine& line) const;

    const ExportOptions* m_options; // the run's, not owned
    std::unique_ptr<CDxfDocument> m_document;
    // The entities made most, each reused from element to element (CDxfDocument::addCopyOf).
    CDxfPoint m_point{0.0, 0.0, kNoZ};
    CDxfInsert m_insert{"", 0.0, 0.0, kNoZ};
    CDxfLine m_segment;
    CDxfPolyline m_polyline;
    // One text per label kind, its layer (blanks made underscores), colour and size set once.
    std::vector<CDxfText> m_labels;
    // The layers of the code groups met, by a hash of the group: millions of points share a few
    // dozen groups, whose names need not be mended and respelled for each.
    struct GroupLayer {
        std::string group;
        std::string layer;
        bool known = false;
    };
    std::array<GroupLayer, 64> m_groupLayers;
    std::string m_labelText; // the current label's text, reused
    // A note for the report of what was mended, kept by the const lookups that mend.
    mutable MendedNames m_mendedLayers;
    const CDxfTables* m_spellings = nullptr; // not owned
    // The measured spelling of the layer in `name`, put there.
    void Respell(std::string& name) const;
    void NoteMended(std::string_view given, const std::string& written) const;
};
