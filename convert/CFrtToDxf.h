#pragma once

#include "convert/ExportOptions.h"
#include "convert/HatchLines.h"
#include "convert/LayerNames.h"
#include "dxf/AciPalette.h"
#include "dxf/CDxfDocument.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPoint.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "dxf/DxfXData.h"
#include "frt/CFrtArea.h"
#include "frt/CFrtLine.h"
#include "frt/CFrtPoint.h"
#include "frt/IFrtConsumer.h"
#include "frt/IFrtDiagnostics.h"

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

    // Who hears of what the conversion leaves out (a hatch or an area label too large to make);
    // none by default. The pass that measures tells it, so that it is told once.
    void SetDiagnostics(IFrtDiagnostics* diagnostics) { m_diagnostics = diagnostics; }
    // From now on the converter makes only the hatches' block definitions, which the drawing
    // needs before its entities: a pass of their own over the areas.
    void MakeHatchBlocks() { m_hatchBlocksOnly = true; }

    // The most hatch lines an area gets in each direction: a larger area gets them wider apart,
    // which keeps a drawing of large areas from growing to gigabytes.
    static constexpr std::size_t kMaxHatchLines = 5000;

    [[nodiscard]] CDxfDocument* GetDocument() const { return m_document.get(); }

    // "0" without one layer per code group or for an empty or one-blank group; otherwise the
    // group's layer as the drawing names it (see LayerNames).
    [[nodiscard]] std::string ElementLayer(const CFrtElement& element);

    void ExportPoint(const CFrtPoint& point);
    void ExportLine(const CFrtLine& line);
    void ExportArea(const CFrtArea& area);
    void BuildSymbolBlocks();

    // A survey colour (a line's, a fill's): its lowest byte is red, the next green, the third blue.
    static acipalette::Rgb RgbOf(std::int32_t colour) {
        const auto bits = static_cast<std::uint32_t>(colour);
        return {static_cast<std::uint8_t>(bits & 0xffU), static_cast<std::uint8_t>((bits >> 8U) & 0xffU),
                static_cast<std::uint8_t>((bits >> 16U) & 0xffU)};
    }

    // The tags of the point attributes, in the order the inserts carry them.
    static constexpr const char* kAttributeTags[] = {"PID", "HEIGHT", "CODE", "CLASS"};

private:
    // The position the drawing gives the coordinates, with the input's spellings of its numbers;
    // two-dimensional (z NaN) unless `threeD`.
    [[nodiscard]] DxfPoint3 PositionOf(const FrtCoordinates& c, bool threeD) const;
    // The element's values go with the chain's first entity (extended data).
    void ExportChain(const CFrtLine& line, const CFrtElement& owner, bool closed);
    // The hatch and the area label of an area handed on whole; a finding for one in pieces.
    void ExportAreaExtras(const CFrtArea& area);
    // Cuts the area's hatch lines into m_hatchPieces, at the spacing asked or at a multiple of it
    // that stays within kMaxHatchLines; false when there are none.
    bool CutHatch(const CFrtArea& area);
    // The boundary's vertices as the hatch and the label's search take them (m_outline).
    void TakeOutline(const CFrtLine& boundary);
    void ExportHatchBlock(const CFrtArea& area);
    void ExportAreaLabel(const CFrtArea& area, std::size_t index);
    // The line's name at the middle of its length: measured over its chain, placed when its
    // vertices come (again, for a line in pieces), written after the last of them.
    void MeasureLineName(const CFrtLine& line);
    void PlaceLineName(const CFrtLine& line);
    // The index of the label of that kind among the options', or npos.
    [[nodiscard]] std::size_t LabelIndex(std::int32_t kind) const;
    // Fills m_xdata with the element's values when the document writes, and hangs it on the
    // entity; a measuring document does not look at it.
    void AttachXData(const CFrtElement& element, CDxfEntity& entity);
    void Report(const CFrtElement& element, std::string_view key, std::string_view problem);
    // Keeps where a piece of a chain began (its first piece only) and ended.
    void RememberChain(const DxfPoint3* first, const DxfPoint3& last, std::size_t vertices);
    // The reused polyline with the line's vertices and attributes, but for the vertices' layer.
    void FillPolyline(const CFrtLine& line, bool closed);
    // The insert's point attributes (kAttributeTags) with the point's values.
    void SetAttributeValues(const CFrtPoint& point, CDxfInsert& insert);
    void ExportLabel(const CFrtPoint& point, std::size_t index, double z);
    // A number for a label: fixed with the label's decimals, or the shortest form from 1e100 on.
    static void AppendLabelNumber(std::string& text, double value, int decimals,
                                  const numtext::Spelling& spelled);
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
    IFrtDiagnostics* m_diagnostics = nullptr;
    bool m_hatchBlocksOnly = false;
    // The area being hatched or labelled, and its hatch lines.
    HatchLines m_hatch;
    std::vector<HatchLines::Point> m_outline;
    std::vector<HatchLines::Segment> m_hatchPieces;
    CDxfInsert m_hatchInsert{"", 0.0, 0.0, kNoZ};
    CDxfLine m_hatchLine;
    // Of the line whose name is placed: its length, and how much of it the vertices walked.
    double m_lineLength = 0.0;
    double m_lineWalked = 0.0;
    bool m_lineNamed = false;
    DxfPoint3 m_lineFirst;
    DxfPoint3 m_lineLast;
    DxfXData m_xdata;
};
