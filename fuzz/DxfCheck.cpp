#include "fuzz/DxfCheck.h"

#include "common/CodePage.h"
#include "common/Letters.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <set>
#include <vector>

namespace {

enum class ValueKind { Text, Real, Integer };

ValueKind KindOf(int code) {
    const auto in = [code](int low, int high) { return code >= low && code <= high; };
    if (in(10, 59) || in(110, 149) || in(210, 239) || in(1010, 1059))
        return ValueKind::Real;
    if (in(60, 99) || in(170, 179) || in(270, 289) || in(370, 389) || in(400, 409) || in(1060, 1071))
        return ValueKind::Integer;
    return ValueKind::Text;
}

std::string_view WithoutLeadingBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return text;
}

bool WholeInteger(std::string_view text, long long& value) {
    text = WithoutLeadingBlanks(text);
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

bool WholeFiniteReal(std::string_view text) {
    text = WithoutLeadingBlanks(text);
    double value = 0.0;
    const char* end = text.data() + text.size();
    // AutoCAD itself writes an exponent where the fixed form would be long ("1.0E+20").
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end && !text.empty() && std::isfinite(value);
}

struct Pair {
    std::size_t line; // of the code, counted from 1
    int code;
    std::string_view value;
};

class Checker {
public:
    std::string Run(std::string_view text) {
        if (Split(text) && DeclaredPage() && Pairs())
            Structure();
        return m_problem;
    }

private:
    bool Fail(std::size_t line, const std::string& reason) {
        m_problem = "line " + std::to_string(line) + ": " + reason;
        return false;
    }

    bool Split(std::string_view text) {
        if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n")
            return Fail(1, "the text does not end with CR LF");
        std::vector<std::string_view> lines;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find("\r\n", start);
            const std::string_view line = text.substr(start, end - start);
            for (const char c : line)
                if (c == '\r' || c == '\n')
                    return Fail(lines.size() + 1, "a line break other than CR LF");
            lines.push_back(line);
            start = end + 2;
        }
        if (lines.size() % 2 != 0)
            return Fail(lines.size(), "a code without a value");
        for (std::size_t i = 0; i < lines.size(); i += 2) {
            long long code = 0;
            if (!WholeInteger(lines[i], code) || code < 0 || code > 1071)
                return Fail(i + 1, "not a group code: \"" + std::string(lines[i]) + "\"");
            const Pair pair{i + 1, static_cast<int>(code), lines[i + 1]};
            if (!Value(pair))
                return false;
            m_pairs.push_back(pair);
        }
        return true;
    }

    bool Value(const Pair& pair) {
        long long ignored = 0;
        switch (KindOf(pair.code)) {
        case ValueKind::Real:
            return WholeFiniteReal(pair.value) ||
                   Fail(pair.line + 1, "not a finite real: \"" + std::string(pair.value) + "\"");
        case ValueKind::Integer:
            return WholeInteger(pair.value, ignored) ||
                   Fail(pair.line + 1, "not an integer: \"" + std::string(pair.value) + "\"");
        case ValueKind::Text:
            break;
        }
        for (const char c : pair.value)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                return Fail(pair.line + 1, "a control character in a text");
        return true;
    }

    // The value of the pair with this code in the object that starts at pairs[start].
    [[nodiscard]] std::string_view Field(std::size_t start, int code) const {
        for (std::size_t i = start + 1; i < m_pairs.size() && m_pairs[i].code != 0; ++i)
            if (m_pairs[i].code == code)
                return m_pairs[i].value;
        return {};
    }

    // The page "$DWGCODEPAGE" declares; Windows-1252 without one.
    bool DeclaredPage() {
        for (std::size_t i = 0; i + 1 < m_pairs.size(); ++i) {
            if (m_pairs[i].code == 9 && m_pairs[i].value == "$DWGCODEPAGE") {
                m_page = codepage::Find(m_pairs[i + 1].value);
                if (m_pairs[i + 1].code != 3 || m_page == nullptr)
                    return Fail(m_pairs[i + 1].line,
                                "no code page of this writer: \"" + std::string(m_pairs[i + 1].value) + "\"");
            }
        }
        return true;
    }

    // What release 12 holds of each pair: its group codes (no handles, subclass markers or
    // later pointers), values of at most 255 bytes, strings in the declared page, every X with its Y.
    bool Pairs() {
        for (std::size_t i = 0; i < m_pairs.size(); ++i) {
            const Pair& p = m_pairs[i];
            if (p.code == 5 || p.code == 100 || p.code == 102 || p.code == 105 ||
                (p.code >= 280 && p.code <= 998))
                return Fail(p.line, "group code " + std::to_string(p.code) + " is not of release 12");
            // Readers stop at a longer line, a number's as a string's.
            if (p.value.size() > 255)
                return Fail(p.line + 1, "a value of " + std::to_string(p.value.size()) + " bytes");
            if (KindOf(p.code) == ValueKind::Text) {
                for (const char c : p.value)
                    if (codepage::Character(static_cast<unsigned char>(c), *m_page) == 0 && c != '\0')
                        return Fail(p.line + 1,
                                    "a byte that " + std::string(m_page->name) + " does not hold");
            }
            if (p.code >= 10 && p.code <= 18 &&
                (i + 1 >= m_pairs.size() || m_pairs[i + 1].code != p.code + 10))
                return Fail(p.line, "an X (" + std::to_string(p.code) + ") not followed by its Y");
        }
        return true;
    }

    // The name rule of release 12: 1 to 31 letters (those beyond ASCII in the declared page),
    // digits, "$", "_" and "-".
    bool Name(std::size_t line, std::string_view name, const char* what) {
        bool follows = !name.empty() && name.size() <= 31;
        for (const char c : name) {
            const auto byte = static_cast<unsigned char>(c);
            follows = follows && (byte < 0x80 ? std::isalnum(byte) != 0 || c == '$' || c == '_' || c == '-'
                                              : letters::IsLetter(codepage::Character(byte, *m_page)));
        }
        return follows ||
               Fail(line, std::string(what) + " \"" + std::string(name) + "\" breaks the name rule");
    }

    // A block's name: by the rule, or "*U" and a number, an anonymous block (a hatch).
    bool BlockName(std::size_t line, std::string_view name) {
        const bool anonymous = name.size() > 2 && name.size() <= 31 && name.substr(0, 2) == "*U" &&
                               name.find_first_not_of("0123456789", 2) == std::string_view::npos;
        return anonymous || Name(line, name, "block");
    }

    // Extended data closes the entity: 1001 and an application of the APPID table, then only
    // codes from 1000 on, its braces (1002) balanced.
    bool ExtendedData(std::size_t i) {
        std::size_t j = i + 1;
        while (j < m_pairs.size() && m_pairs[j].code != 0 && m_pairs[j].code < 1000)
            ++j;
        int depth = 0;
        for (bool first = true; j < m_pairs.size() && m_pairs[j].code != 0; ++j, first = false) {
            const Pair& p = m_pairs[j];
            if (p.code < 1000)
                return Fail(p.line, "group code " + std::to_string(p.code) + " after extended data");
            if (first && p.code != 1001)
                return Fail(p.line, "extended data without its application (1001)");
            if (p.code == 1001 && m_applications.count(p.value) == 0)
                return Fail(p.line, "application \"" + std::string(p.value) + "\" is not in the APPID table");
            if (p.code == 1002) {
                depth += p.value == "{" ? 1 : p.value == "}" ? -1 : 100;
                if (depth < 0 || depth > 1)
                    return Fail(p.line, "unbalanced braces in extended data");
            }
        }
        return depth == 0 || Fail(m_pairs[i].line, "extended data not closed");
    }

    // The name in lower case, in any script.
    [[nodiscard]] std::string Folded(std::string_view name) const {
        std::string folded;
        for (const char c : name)
            folded += std::to_string(
                          letters::FoldCase(codepage::Character(static_cast<unsigned char>(c), *m_page))) +
                      ",";
        return folded;
    }

    // A table entry: its name and flags, its name by the rule and unique ignoring case.
    bool TableEntry(std::size_t i, std::set<std::string>& names) {
        const std::string_view name = Field(i, 2);
        if (Field(i, 70).empty())
            return Fail(m_pairs[i].line, "a table entry without flags (70)");
        if (!Name(m_pairs[i].line, name, "table entry"))
            return false;
        return names.insert(Folded(name)).second ||
               Fail(m_pairs[i].line, "\"" + std::string(name) + "\" is in its table twice, ignoring case");
    }

    // Entities and groups of release 12 alone.
    bool EntityOfRelease12(std::size_t i) {
        static const std::set<std::string_view> kEntities = {
            "POINT",  "LINE",   "POLYLINE", "VERTEX", "SEQEND", "TEXT",   "INSERT", "ATTRIB",
            "ATTDEF", "CIRCLE", "ARC",      "SOLID",  "TRACE",  "3DFACE", "SHAPE"};
        const Pair& p = m_pairs[i];
        if (kEntities.count(p.value) == 0)
            return Fail(p.line, std::string(p.value) + " is no entity of release 12");
        for (std::size_t j = i + 1; j < m_pairs.size() && m_pairs[j].code != 0; ++j) {
            if (m_pairs[j].code == 8 && !Name(m_pairs[j].line, m_pairs[j].value, "layer"))
                return false;
            if (m_pairs[j].code == 6 && !Name(m_pairs[j].line, m_pairs[j].value, "line type"))
                return false;
            if (m_pairs[j].code == 2 && p.value == "INSERT" && !BlockName(m_pairs[j].line, m_pairs[j].value))
                return false;
        }
        return true;
    }

    bool Structure() {
        std::string_view section;
        bool inTable = false;
        bool inBlock = false;
        long long tableCount = 0;   // what the open table says it holds
        long long tableEntries = 0; // and what it holds
        std::set<std::string> tableNames;
        std::set<std::string> blockNames;
        Sequence sequence = Sequence::None;
        bool ended = false;
        for (std::size_t i = 0; i < m_pairs.size(); ++i) {
            const Pair& p = m_pairs[i];
            if (ended)
                return Fail(p.line, "data after EOF");
            if (p.code != 0)
                continue;
            const std::string_view name = p.value;
            if (sequence == Sequence::Vertices && name != "VERTEX" && name != "SEQEND")
                return Fail(p.line, "POLYLINE not closed by SEQEND before " + std::string(name));
            if (sequence == Sequence::Attributes && name != "ATTRIB" && name != "SEQEND")
                return Fail(p.line, "INSERT's attributes not closed by SEQEND before " + std::string(name));
            if (name == "SECTION") {
                if (!section.empty())
                    return Fail(p.line, "SECTION inside a section");
                if (i + 1 >= m_pairs.size() || m_pairs[i + 1].code != 2 || m_pairs[i + 1].value.empty())
                    return Fail(p.line, "SECTION without a name");
                section = m_pairs[i + 1].value;
            } else if (name == "ENDSEC") {
                if (section.empty() || inTable || inBlock)
                    return Fail(p.line, "unbalanced ENDSEC");
                section = {};
            } else if (name == "EOF") {
                if (!section.empty())
                    return Fail(p.line, "EOF inside a section");
                ended = true;
            } else if (section.empty()) {
                return Fail(p.line, std::string(name) + " outside any section");
            } else if (name == "TABLE") {
                if (section != "TABLES" || inTable)
                    return Fail(p.line, "misplaced TABLE");
                inTable = true;
                if (!WholeInteger(Field(i, 70), tableCount))
                    return Fail(p.line, "a TABLE without its count (70)");
                tableEntries = 0;
                tableNames.clear();
            } else if (name == "ENDTAB") {
                if (!inTable)
                    return Fail(p.line, "ENDTAB without TABLE");
                if (tableEntries != tableCount)
                    return Fail(p.line, "the table says " + std::to_string(tableCount) +
                                            " entries and holds " + std::to_string(tableEntries));
                inTable = false;
            } else if (name == "BLOCK") {
                if (section != "BLOCKS" || inBlock)
                    return Fail(p.line, "misplaced BLOCK");
                inBlock = true;
                if (!BlockName(p.line, Field(i, 2)))
                    return false;
                if ((Field(i, 2).substr(0, 1) == "*") != (WithoutLeadingBlanks(Field(i, 70)) == "1"))
                    return Fail(p.line, "an anonymous block's flags must say so (70 1), and only its");
                if (!blockNames.insert(Folded(Field(i, 2))).second)
                    return Fail(p.line,
                                "block \"" + std::string(Field(i, 2)) + "\" defined twice, ignoring case");
                m_blocks.insert(Field(i, 2));
            } else if (name == "ENDBLK") {
                if (!inBlock)
                    return Fail(p.line, "ENDBLK without BLOCK");
                inBlock = false;
            } else if (inTable) {
                ++tableEntries;
                if (!TableEntry(i, tableNames))
                    return false;
                if (name == "LAYER") {
                    m_layers.insert(Field(i, 2));
                    m_uses.push_back(i); // for its line type
                } else if (name == "LTYPE") {
                    m_lineTypes.insert(Field(i, 2));
                } else if (name == "APPID") {
                    m_applications.insert(Field(i, 2));
                }
            } else if (!EntityOfRelease12(i) || !Entity(i, sequence)) {
                return false;
            }
        }
        if (!ended)
            return Fail(m_pairs.empty() ? 1 : m_pairs.back().line, "no EOF");
        return References();
    }

    // What an entity opened that SEQEND closes: a POLYLINE's vertices, an INSERT's attributes
    // (after "66 1").
    enum class Sequence { None, Vertices, Attributes };

    bool Entity(std::size_t i, Sequence& sequence) {
        const std::string_view name = m_pairs[i].value;
        if (name == "POLYLINE") {
            sequence = Sequence::Vertices;
        } else if (name == "INSERT" && WithoutLeadingBlanks(Field(i, 66)) == "1") {
            sequence = Sequence::Attributes;
        } else if (name == "SEQEND") {
            if (sequence == Sequence::None)
                return Fail(m_pairs[i].line, "SEQEND without POLYLINE or INSERT");
            sequence = Sequence::None;
        } else if (name == "VERTEX" && sequence != Sequence::Vertices) {
            return Fail(m_pairs[i].line, "VERTEX outside a POLYLINE");
        } else if (name == "ATTRIB" && sequence != Sequence::Attributes) {
            return Fail(m_pairs[i].line, "ATTRIB outside an INSERT's attributes");
        }
        m_uses.push_back(i);
        return true;
    }

    // Layers and line types of entities, line types of layers, blocks of inserts.
    bool References() {
        for (const std::size_t i : m_uses) {
            const std::string_view layer = m_pairs[i].value == "LAYER" ? "0" : Field(i, 8);
            if (m_pairs[i].value == "SEQEND")
                continue; // it belongs to its POLYLINE or INSERT and may go without groups
            if (!ExtendedData(i))
                return false;
            if (layer.empty())
                return Fail(m_pairs[i].line, "an entity without a layer");
            if (layer != "0" && m_layers.count(layer) == 0)
                return Fail(m_pairs[i].line,
                            "layer \"" + std::string(layer) + "\" is not in the LAYER table");
            const std::string_view lineType = Field(i, 6);
            if (!lineType.empty() && lineType != "BYLAYER" && lineType != "BYBLOCK" &&
                m_lineTypes.count(lineType) == 0)
                return Fail(m_pairs[i].line, "line type \"" + std::string(lineType) + "\" is not defined");
            if (m_pairs[i].value == "INSERT" && m_blocks.count(Field(i, 2)) == 0)
                return Fail(m_pairs[i].line, "block \"" + std::string(Field(i, 2)) + "\" is not defined");
        }
        return true;
    }

    std::vector<Pair> m_pairs;
    std::vector<std::size_t> m_uses; // entities and layer table entries, by pair index
    std::set<std::string_view> m_layers;
    std::set<std::string_view> m_lineTypes;
    std::set<std::string_view> m_blocks;
    std::set<std::string_view> m_applications;
    const codepage::Page* m_page = &codepage::kWindows1252;
    std::string m_problem;
};

} // namespace

std::string CheckDxfText(std::string_view text) {
    return Checker().Run(text);
}
