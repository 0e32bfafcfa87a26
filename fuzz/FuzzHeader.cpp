// The header check, against a plain in-memory reading of the same rule.
#include "frt/FrtHeader.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

// Lines end at LF, CR LF or a CR alone.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return lines;
}

// A "[Header]" line counts when the line after it names a format; that line is used up either way.
FrtFormat Expected(std::string_view text) {
    // A UTF-8 byte-order mark before the first line is not part of it.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    const std::vector<std::string_view> lines = Lines(text);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != "[Header]")
            continue;
        constexpr std::string_view kPrefix = "Format=";
        const std::string_view format = lines[i + 1];
        ++i;
        if (format.substr(0, kPrefix.size()) != kPrefix)
            continue;
        const std::string_view rest = format.substr(kPrefix.size());
        const std::string_view name = rest.substr(0, rest.find(';'));
        if (name == "Rev2Ezi")
            return FRT_FORMAT_DXF;
        if (name == "Raz2Azi")
            return FRT_FORMAT_SHP;
    }
    return FRT_FORMAT_NONE;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFile file;
    const FrtFormat found = frtheader::CheckFrtHeader(file.Write(data, size));
    const FrtFormat expected = Expected(std::string_view(reinterpret_cast<const char*>(data), size));
    FuzzRequire(found == expected,
                "header check gave " + std::to_string(found) + ", expected " + std::to_string(expected));
    return 0;
}
