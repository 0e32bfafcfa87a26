// Record lines: the pair parser, the typed import and the three element fillers.
#include "frt/CFrtReader.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The map's own view of itself must agree whichever way it is asked.
// Typed imports may make an empty name ("_D=1"); only parsed keys are never empty.
void CheckMap(const CAttributeMap& map, std::string_view separators, std::string_view assign, bool parsed) {
    for (std::size_t i = 0; i < map.Size(); ++i) {
        const std::string_view key = map.KeyAt(i);
        FuzzRequire(i == 0 || map.KeyAt(i - 1) < key, "keys not unique and ordered");
        FuzzRequire(map.Contains(key), "a listed key is not found");
        FuzzRequire(map.GetValue(key) == map.ValueTextAt(i), "lookup and position disagree");
        if (map.KindAt(i) != AttributeKind::String)
            continue;
        const std::string_view text = map.TextAt(i);
        FuzzRequire(map.GetText(key) == text, "text lookup and position disagree");
        if (parsed && assign == "=" && separators == ";") {
            FuzzRequire(!key.empty(), "an empty key");
            FuzzRequire(!text.empty(), "an empty value");
            FuzzRequire(key.find('=') == std::string_view::npos, "a key with the assign character");
            FuzzRequire(text.find(';') == std::string_view::npos, "a value with the separator");
        }
    }
}

void CheckCoordinates(const FrtCoordinates& c) {
    FuzzRequire(std::isfinite(c.GetEasting()) && std::isfinite(c.GetNorthing()),
                "a coordinate that is not finite");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string separators = ";";
    std::string assign = "=";
    // A leading 0x01 byte asks for the separators and assign text that follow it, as in "\x01,:\x01=".
    if (text.size() > 2 && text[0] == '\x01') {
        const std::size_t end = text.find('\x01', 1);
        if (end != std::string_view::npos) {
            separators.assign(text.substr(1, end - 1));
            const std::size_t split = std::min<std::size_t>(separators.size(), 2);
            assign = separators.substr(split);
            separators.resize(split);
            text.remove_prefix(end + 1);
        }
    }

    CAttributeMap pairs;
    pairs.Parse(text, separators, assign);
    CheckMap(pairs, separators, assign, true);

    CAttributeMap typed;
    typed.ImportTyped(pairs);
    CheckMap(typed, separators, assign, false);
    typed.ImportTyped(typed); // importing from itself must not read what it is writing
    typed.ParseTyped(text, separators, assign);
    CheckMap(typed, separators, assign, false);

    CFrtPoint point(0.0, 0.0, 0.0);
    CFrtReader::ReadPoint(text, &point);
    CheckMap(point, separators, assign, false);
    CheckCoordinates(point.GetCoordinates());
    FuzzRequire(std::isfinite(point.GetCoordinates().GetHeight()), "a point height that is not finite");

    CFrtLine line;
    CFrtReader::ReadLine(text, &line);
    CheckMap(line, separators, assign, false);
    FuzzRequire(std::isfinite(line.GetWidth()), "a line width that is not finite");

    CFrtArea area;
    CFrtReader::ReadArea(text, &area);
    CheckMap(area, separators, assign, false);
    FuzzRequire(std::isfinite(area.GetArea()), "an area that is not finite");
    return 0;
}
