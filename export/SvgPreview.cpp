#include "export/SvgPreview.h"

#include "common/CodePage.h"
#include "common/NumberText.h"
#include "common/Utf8.h"
#include "dxf/AciPalette.h"
#include "dxf/CDxfInsert.h"
#include "dxf/CDxfLine.h"
#include "dxf/CDxfPolyline.h"
#include "dxf/CDxfText.h"
#include "dxf/DxfGroup.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

namespace {

// The DXF colour numbers 1 to 6 darkened to show on the white picture; 0 (by block) and 7 (white
// on a dark screen) black; the others of AutoCAD's 255 (a hatch's) as they are.
const char* ColourName(std::int32_t colour) {
    static constexpr const char* kColours[] = {"#000000", "#e00000", "#c8b400", "#00a000",
                                               "#00a0a0", "#0000e0", "#c000c0"};
    static const std::array<std::array<char, 8>, 256> kPalette = [] {
        std::array<std::array<char, 8>, 256> names{};
        for (int index = 0; index < 256; ++index) {
            const acipalette::Rgb rgb = acipalette::ColourOf(index);
            std::snprintf(names[static_cast<std::size_t>(index)].data(), 8, "#%02x%02x%02x", rgb.red,
                          rgb.green, rgb.blue);
        }
        return names;
    }();
    if (colour >= 8 && colour <= 255)
        return kPalette[static_cast<std::size_t>(colour)].data();
    return colour >= 1 && colour <= 6 ? kColours[colour] : kColours[0];
}

// The dash pattern of a line type, in pixels; empty for solid lines.
std::string_view DashesOf(std::string_view lineType) {
    constexpr std::pair<std::string_view, std::string_view> kDashes[] = {
        {"Dashed_Line", "8 4"},
        {"Dotted_Line", "1 3"},
        {"Dashdot_Line", "8 3 1 3"},
        {"Dashdotdot_Line", "8 3 1 3 1 3"},
    };
    for (const auto& [name, dashes] : kDashes)
        if (name == lineType)
            return dashes;
    return {};
}

// About how wide a text is in a sans-serif font of that size: most letters are narrower than
// 0.6 of the size, and a UTF-8 character counts once.
double EstimatedWidth(std::string_view text, double size) {
    const auto characters = std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; });
    return 0.6 * size * static_cast<double>(characters);
}

// A text of the survey as UTF-8, read as the drawing's readers read it: a UTF-8 survey's texts as
// they are, any other text's bytes in the page the drawing is read in. So the picture stays
// well-formed XML and shows what the drawing holds.
void AppendEscaped(std::string& out, std::string_view text, bool utf8File,
                   const codepage::Page& page = codepage::kWindows1252) {
    const bool utf8 = utf8File && utf8::IsValid(text);
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (utf8 && utf8::StartsWithNonCharacter(text.substr(at))) {
            out += '?';
            at += 2;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (!utf8 && byte >= 0x80) {
            const std::uint32_t character = codepage::Character(byte, page);
            utf8::Append(out, character != 0 ? character : '?');
            continue;
        }
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters are not allowed in XML 1.0.
            out += byte < 0x20 ? '?' : c;
            break;
        }
    }
}

void AppendNumber(std::string& out, double value) {
    numtext::AppendFixed(out, value, 1);
}

} // namespace

SvgPreview::SvgPreview(const std::string& path, Frame frame) : m_file(path), m_frame(std::move(frame)) {
    const DxfPoint3& low = m_frame.tables->extMin();
    const DxfPoint3& high = m_frame.tables->extMax();
    const bool empty = !(low.x <= high.x && low.y <= high.y);
    const double width = empty ? 1.0 : std::max(high.x - low.x, 1e-9);
    const double height = empty ? 1.0 : std::max(high.y - low.y, 1e-9);
    // A margin of 2% around the drawing, the longer side kSize pixels.
    m_scale = 0.96 * kSize / std::max(width, height);
    m_width = std::round(width * m_scale / 0.96);
    m_height = std::round(height * m_scale / 0.96);
    m_left = (empty ? 0.0 : low.x) - 0.02 * m_width / m_scale;
    m_top = (empty ? 0.0 : high.y) + 0.02 * m_height / m_scale;
    m_every = std::max<std::uint64_t>(1, (m_frame.drawable + kMostDrawn - 1) / kMostDrawn);
}

bool SvgPreview::Drawable() const {
    return std::isfinite(m_scale) && m_scale > 0 && std::isfinite(m_width) && std::isfinite(m_height) &&
           std::isfinite(m_left) && std::isfinite(m_top);
}

bool SvgPreview::Open() {
    if (!m_file.Open())
        return false;
    std::string head = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                       "\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    AppendNumber(head, m_width);
    head += "\" height=\"";
    AppendNumber(head, m_height + 40);
    head += "\" viewBox=\"0 0 ";
    AppendNumber(head, m_width);
    head += ' ';
    AppendNumber(head, m_height + 40);
    head += "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
            "<g stroke-width=\"1\" fill=\"none\" font-family=\"sans-serif\">\n";
    Write(head);
    return !m_failed;
}

void SvgPreview::AppendPoint(std::string& out, double x, double y) const {
    AppendNumber(out, PictureX(x));
    out += ',';
    AppendNumber(out, PictureY(y));
}

const char* SvgPreview::ColourOf(const DxfAttributes& attributes) const {
    if ((attributes.colour >= 1 && attributes.colour <= 6) || attributes.colour >= 8)
        return ColourName(attributes.colour);
    const CDxfLayer* layer = m_frame.tables->layers().of(attributes);
    return ColourName(layer != nullptr ? layer->colour : 0);
}

void SvgPreview::Piece::Stroke(const DxfAttributes& attributes) {
    m_text += "\" stroke=\"";
    m_text += m_preview.ColourOf(attributes);
    if (const std::string_view dashes = DashesOf(attributes.lineType()); !dashes.empty()) {
        m_text += "\" stroke-dasharray=\"";
        m_text += dashes;
    }
    m_text += "\"/>\n";
}

void SvgPreview::Piece::Streamed(const CDxfEntity& entity) {
    const DxfAttributes* attributes = entity.attributes();
    if (attributes == nullptr)
        return;
    switch (entity.entityType()) {
    case DXF_ENTITY_POINT:
    case DXF_ENTITY_INSERT: {
        // A hatch's insert: its lines were drawn from its block.
        if (entity.entityType() == DXF_ENTITY_INSERT &&
            static_cast<const CDxfInsert&>(entity).blockName().compare(0, 1, "*") == 0)
            break;
        const DxfPoint3& at = *entity.position();
        m_text += R"(<circle r="1.5" cx=")";
        AppendNumber(m_text, m_preview.PictureX(at.x));
        m_text += "\" cy=\"";
        AppendNumber(m_text, m_preview.PictureY(at.y));
        m_text += "\" fill=\"";
        m_text += m_preview.ColourOf(*attributes);
        m_text += "\"/>\n";
        break;
    }
    case DXF_ENTITY_TEXT: {
        if (!m_preview.m_frame.labels)
            return;
        const auto& text = static_cast<const CDxfText&>(entity);
        m_text += "<text font-size=\"";
        // To scale, but never too small to read.
        const double size = std::max(text.height * m_preview.m_scale, 6.0);
        AppendNumber(m_text, size);
        m_text += "\" x=\"";
        const double x = m_preview.PictureX(text.location.x);
        AppendNumber(m_text, x);
        m_text += "\" y=\"";
        AppendNumber(m_text, m_preview.PictureY(text.location.y));
        // A label that would run off its side of the picture goes to the other side of its place.
        const double width = EstimatedWidth(text.text(), size);
        const bool rightAligned = text.horizontalAlign == dxfgroup::kAlignRight;
        if (text.horizontalAlign == dxfgroup::kAlignCentre) // an area's value, a line's name
            m_text += "\" text-anchor=\"middle";
        else if (rightAligned ? x - width >= 0 : x + width > m_preview.m_width)
            m_text += "\" text-anchor=\"end";
        if (text.verticalAlign == dxfgroup::kAlignTop)
            m_text += "\" dominant-baseline=\"hanging";
        else if (text.verticalAlign == dxfgroup::kAlignMiddle)
            m_text += "\" dominant-baseline=\"central";
        if (!std::isnan(text.rotation) && text.rotation != 0) { // counter-clockwise in the drawing
            m_text += "\" transform=\"rotate(";
            AppendNumber(m_text, -text.rotation);
            m_text += ' ';
            AppendNumber(m_text, x);
            m_text += ' ';
            AppendNumber(m_text, m_preview.PictureY(text.location.y));
            m_text += ')';
        }
        m_text += "\" fill=\"";
        m_text += m_preview.ColourOf(*attributes);
        m_text += R"(" stroke="none">)";
        AppendEscaped(m_text, text.text(), m_preview.m_frame.utf8Texts, *m_preview.m_frame.codePage);
        m_text += "</text>\n";
        break;
    }
    case DXF_ENTITY_LINE: {
        const auto& line = static_cast<const CDxfLine&>(entity);
        m_text += "<polyline points=\"";
        m_preview.AppendPoint(m_text, line.start.x, line.start.y);
        m_text += ' ';
        m_preview.AppendPoint(m_text, line.end.x, line.end.y);
        Stroke(*attributes);
        break;
    }
    case DXF_ENTITY_POLYLINE: {
        const auto& polyline = static_cast<const CDxfPolyline&>(entity);
        if (polyline.vertices().empty())
            break;
        const bool closed = (polyline.polylineFlags & dxfgroup::kPolylineClosed) != 0;
        // A long polyline comes in pieces: each goes on from where the one before it ended, and
        // the last closes it.
        const bool whole = polyline.writesHead && polyline.writesEnd;
        m_text += closed && whole ? "<polygon points=\"" : "<polyline points=\"";
        const auto append = [this](const DxfPoint3& point) {
            m_preview.AppendPoint(m_text, point.x, point.y);
        };
        if (polyline.writesHead) {
            m_chainFirst = polyline.vertices().front()->location;
        } else {
            append(m_chainLast);
            m_text += ' ';
        }
        bool first = true;
        for (const auto& vertex : polyline.vertices()) {
            if (!first)
                m_text += ' ';
            first = false;
            append(vertex->location);
        }
        if (closed && !whole && polyline.writesEnd) {
            m_text += ' ';
            append(m_chainFirst);
        }
        m_chainLast = polyline.vertices().back()->location;
        Stroke(*attributes);
        break;
    }
    default:
        break;
    }
}

void SvgPreview::Add(const Piece& piece) {
    const std::string& text = piece.Text();
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start) + 1;
        // The element's kind by its tag: <circle, <text, <polyline, <polygon.
        const char tag = text[start + 1];
        const char tagEnd = text[start + 5];
        const std::size_t kind = tag == 'c' ? 0 : tag == 't' ? 1 : tagEnd == 'l' ? 2 : 3;
        ++m_seen;
        if (m_seenOfKind[kind]++ % m_every == 0) {
            m_buffer.append(text, start, end - start);
            ++m_drawn;
        }
        start = end;
    }
    if (m_buffer.size() >= (std::size_t{1} << 20)) {
        Write(m_buffer);
        m_buffer.clear();
    }
}

bool SvgPreview::Finish() {
    std::string corner = "</g>\n<text x=\"8\" y=\"";
    AppendNumber(corner, m_height + 16);
    corner += R"(" font-family="sans-serif" font-size="13" fill="#404040">)";
    AppendEscaped(corner, m_frame.title, true); // a file name, UTF-8 inside the program
    corner += ": E ";
    const DxfPoint3& low = m_frame.tables->extMin();
    const DxfPoint3& high = m_frame.tables->extMax();
    if (low.x <= high.x && low.y <= high.y) {
        numtext::AppendFixed(corner, low.x, 3);
        corner += " to ";
        numtext::AppendFixed(corner, high.x, 3);
        corner += ", N ";
        numtext::AppendFixed(corner, low.y, 3);
        corner += " to ";
        numtext::AppendFixed(corner, high.y, 3);
    } else {
        corner += "none, N none";
    }
    corner += "</text>\n<text x=\"8\" y=\"";
    AppendNumber(corner, m_height + 33);
    corner += R"(" font-family="sans-serif" font-size="13" fill="#404040">)";
    corner += std::to_string(m_drawn) + " of " + std::to_string(m_seen) + " elements drawn";
    if (m_every > 1)
        corner += ", thinned to one in " + std::to_string(m_every);
    corner += "</text>\n</svg>\n";
    m_buffer += corner;
    Write(m_buffer);
    m_buffer.clear();
    return !m_failed && m_file.Commit();
}

Failure SvgPreview::Error() const {
    return m_file.Error();
}

void SvgPreview::Write(const std::string& text) {
    if (!m_failed && !m_file.Write(text.data(), text.size()))
        m_failed = true;
}
