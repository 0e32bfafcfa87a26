// The language file loader, against a plain in-memory reading of the same rules.
#include "app/CLanguageFile.h"
#include "common/CodePage.h"
#include "common/Utf8.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFile.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 2) == "\\n") {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string, std::less<>> Expected(std::string_view text) {
    std::map<std::string, std::string, std::less<>> entries;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t eq = line.find('=');
        if (line.empty() || line.front() == ';' || line.front() == '#' || eq == std::string_view::npos)
            continue;
        const std::string_view value = Trim(line.substr(eq + 1));
        if (!value.empty())
            entries.emplace(std::string(Trim(line.substr(0, eq))), Unescaped(value));
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFile file;
    CLanguageFile language;
    language.Load(file.Write(data, size));
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // A file is UTF-8 with its mark or when its bytes beyond ASCII are all UTF-8; else Windows-1252.
    std::string decoded;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    } else if (!utf8::IsValid(text)) {
        decoded = codepage::ToUtf8(text);
        text = decoded;
    }
    const std::string fallback = "\x01no such key";
    for (const auto& [key, value] : Expected(text))
        FuzzRequire(language.GetText(key, fallback) == value, "the text of key \"" + key + "\" differs");
    FuzzRequire(language.GetText("\x02", fallback) == fallback || text.find('\x02') != std::string_view::npos,
                "a key that is not in the file has a text");
    return 0;
}
