#pragma once

#include "convert/ExportOptions.h"
#include "convert/LayerNames.h"
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

    // How layers are named, for the converter's life. By default the converter names them
    // itself as it meets them, each name read as UTF-8 where it looks so (LayerNames::LooksUtf8).
    // A first pass, which measures before the input's encoding is known, keeps them as the input
    // spells them (asGiven); a second pass names them as the table made from what the first
    // measured, which it only reads.
    struct LayerNaming {
        bool asGiven;
        const LayerNames* table; // not owned
    };

    // The options (and a naming table) must outlive the converter.
    explicit CFrtToDxf(const ExportOptions* options, SymbolBlocks blocks = SymbolBlocks::Build,
                       LayerNaming naming = {false, nullptr});

    void Process(std::unique_ptr<CFrtElement> element) override;

    [[nodiscard]] CDxfDocument* GetDocument() const { return m_document.get(); }

    // "0" without one layer per code group or for an empty or one-blank group; otherwise the
    // group's layer as the drawing names it (see LayerNames).
    [[nodiscard]] std::string ElementLayer(const CFrtElement& element);

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
    // Keeps where a piece of a chain began (its first piece only) and ended.
    void RememberChain(const DxfPoint3* first, const DxfPoint3& last, std::size_t vertices);
    // The reused polyline with the line's vertices and attributes, but for the vertices' layer.
    void FillPolyline(const CFrtLine& line, bool closed);
    // The insert's point attributes (kAttributeTags) with the point's values.
    void SetAttributeValues(const CFrtPoint& point, CDxfInsert& insert);
    void ExportLabel(const CFrtPoint& point, std::size_t index, double z);
    void PrepareLabelLayers();
    // Gives the reused insert its point attributes when the options ask for them.
    void PrepareInsert();
    // The drawing's name of a layer the input spells so (see LayerNaming).
    std::string LayerNamed(std::string_view given);
    // A layer the converter puts entities on, with its id in the document once it has one.
    struct LayerRef {
        std::string name;
        DxfLayerId id = kNoLayerId;
    };
    // The element's layer (ElementLayer): its code group's is worked out once and then found by
    // the group, as millions of elements share a few dozen groups.
    LayerRef& GroupLayer(const CFrtElement& element);
    // Puts attributes on the layer, with its id once the document has counted an entity there.
    void PutOn(LayerRef& layer, DxfAttributes& attributes);
    // A LINE's attributes, and a POLYLINE's apart from its thickness.
    [[nodiscard]] DxfAttributes ChainAttributes(const CFrtLine& line);

    const ExportOptions* m_options; // the run's, not owned
    std::unique_ptr<CDxfDocument> m_document;
    // The entities made most, each reused from element to element (CDxfDocument::add).
    CDxfPoint m_point{0.0, 0.0, kNoZ};
    CDxfInsert m_insert{"", 0.0, 0.0, kNoZ};
    CDxfLine m_segment;
    CDxfPolyline m_polyline;
    // Of a line handed on in pieces: where its chain began and where the last piece ended (no
    // spellings: those are views into a piece that is gone), and how many vertices it has had.
    DxfPoint3 m_chainFirst;
    DxfPoint3 m_chainLast;
    std::uint64_t m_chainVertices = 0;
    // One text per label kind, its layer (blanks made underscores), colour and size set once.
    std::vector<CDxfText> m_labels;
    std::vector<LayerRef> m_labelLayers; // by label kind
    LayerRef m_zeroLayer{"0"};           // of the elements without a layer of their own
    // The layers of the code groups met, by a hash of the group.
    struct GroupSlot {
        std::string group;
        LayerRef layer;
        bool known = false;
    };
    std::array<GroupSlot, 64> m_groupLayers;
    std::string m_labelText; // the current label's text, reused
    LayerNaming m_naming;
    LayerNames m_ownNames;
};
