#pragma once

#include "dxf/DxfNames.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The names the drawing gives its layers, by the spelling the input gives them: each follows
// the names' rule (dxfnames), and spellings that come out equal ignoring case share the name of
// the first one added.
class LayerNames {
public:
    // (given, written) of each name that was changed beyond its blanks, both as UTF-8 to show.
    using Mended = std::vector<std::pair<std::string, std::string>>;

    explicit LayerNames(const codepage::Page& page = codepage::kWindows1252, bool asciiOnly = false)
        : m_page(&page), m_asciiOnly(asciiOnly) {}

    // The written name of the spelling, added now if it is new; `utf8` says how it is encoded.
    const std::string& Add(std::string_view given, bool utf8);
    // The written name of a spelling added before, or null.
    [[nodiscard]] const std::string* Find(std::string_view given) const;
    [[nodiscard]] const Mended& MendedNames() const { return m_mended; }
    [[nodiscard]] const codepage::Page& Page() const { return *m_page; }

    // The spelling a layer is known by in both passes: the given one, or for one longer than a
    // field holds (dxfgroup::kMaxText) its start, "~" and a digest of the whole, so that names that
    // differ anywhere stay apart while what is kept of each stays small.
    static std::string Key(std::string_view given);

    // Whether a name is most likely UTF-8: it has bytes above ASCII and they are well-formed.
    static bool LooksUtf8(std::string_view given);

private:
    const codepage::Page* m_page;
    bool m_asciiOnly;
    std::map<std::string, std::string, std::less<>> m_written;  // by the given spelling
    std::map<std::string, std::string, std::less<>> m_byFolded; // the written names, by Folded
    Mended m_mended;
};
