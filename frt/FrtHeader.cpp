#include "frt/FrtHeader.h"

#include "frt/LineReader.h"

#include <string_view>

namespace frtheader {

namespace {

// The name of a format line "Format=NAME;...", or empty when the line does not give one or
// names something longer than a line head holds (which is none of the known formats).
std::string_view FormatName(const LineReader::Probe& line) {
    constexpr std::string_view kPrefix = "Format=";
    const std::string_view head = line.Head();
    if (head.substr(0, kPrefix.size()) != kPrefix)
        return {};
    const std::string_view rest = head.substr(kPrefix.size());
    const std::size_t end = rest.find(';');
    if (end == std::string_view::npos && line.Length() > head.size())
        return {};
    return rest.substr(0, end);
}

} // namespace

FrtFormat CheckFrtHeader(const std::string& path) {
    LineReader input;
    if (!input.Open(path))
        return FRT_FORMAT_NONE;
    // A UTF-8 file may begin with a byte-order mark, before its first line.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    for (bool first = true;; first = false) {
        LineReader::Probe line;
        if (!input.SkipLine(line))
            return FRT_FORMAT_NONE;
        const bool marked = first && line.Head().substr(0, kByteOrderMark.size()) == kByteOrderMark;
        const std::size_t skip = marked ? kByteOrderMark.size() : 0;
        if (line.Length() != 8 + skip || line.Head().substr(skip) != "[Header]")
            continue;
        LineReader::Probe format;
        if (!input.SkipLine(format))
            return FRT_FORMAT_NONE;
        const std::string_view name = FormatName(format);
        if (name == "Rev2Ezi")
            return FRT_FORMAT_DXF;
        if (name == "Raz2Azi")
            return FRT_FORMAT_SHP;
    }
}

} // namespace frtheader
