#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class AttributeKind : std::uint8_t { Int = 1, Double = 2, String = 3 };

// An ordered map from key to an integer, double or string value that parses record lines.
// Keys are unique and ordered byte-wise (unsigned). Keys and string values live in one arena
// string and entries in one vector, in insertion order, so a map costs a few allocations however
// many pairs it holds, and Clear() keeps them for reuse on the next record. Records have a handful
// of pairs, found by a linear scan; a large map gets a hash index so that no input is quadratic.
// The key order is made only when entries are visited by position.
class CAttributeMap {
public:
    CAttributeMap() = default;
    CAttributeMap(const CAttributeMap&) = default;
    CAttributeMap& operator=(const CAttributeMap&) = default;
    CAttributeMap(CAttributeMap&&) noexcept = default;
    CAttributeMap& operator=(CAttributeMap&&) noexcept = default;
    virtual ~CAttributeMap() = default;

    // Adds one string value for every well-formed pair key, assign, value of the text;
    // pairs are separated by any of the separator characters.
    virtual void Parse(std::string_view text, std::string_view separators, std::string_view assign);
    // Copies the typed-attribute keys ("_D", "_I", "_S" prefixes) of the source, converted.
    virtual void ImportTyped(const CAttributeMap& source);
    virtual void ParseTyped(std::string_view text, std::string_view separators, std::string_view assign);

    // The value as text: strings as stored, integers as "%i", doubles as "%f"; empty if absent.
    std::string GetValue(std::string_view key) const;
    // The stored text of a string value without copying; empty for absent or non-string keys.
    std::string_view GetText(std::string_view key) const;
    bool Contains(std::string_view key) const { return Find(key) != npos; }

    void SetString(std::string_view key, std::string_view text);
    void SetInt(std::string_view key, std::int32_t value);
    void SetDouble(std::string_view key, double value);

    std::size_t Size() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    void Clear();

    // Entry access by position in key order.
    std::string_view KeyAt(std::size_t index) const { return KeyOf(Ordered(index)); }
    AttributeKind KindAt(std::size_t index) const { return Ordered(index).kind; }
    std::int32_t IntAt(std::size_t index) const { return Ordered(index).intValue; }
    double DoubleAt(std::size_t index) const { return Ordered(index).doubleValue; }
    std::string_view TextAt(std::size_t index) const { return TextOf(Ordered(index)); }
    std::string ValueTextAt(std::size_t index) const { return ValueTextOf(Ordered(index)); }

protected:
    // Imports keys "_" + kind letter [+ element letter] + name; elementLetter 0 means none.
    void ImportTypedKeys(const CAttributeMap& source, char elementLetter);

private:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    struct Entry {
        std::size_t keyOffset = 0;
        std::size_t keyLength = 0;
        std::size_t textOffset = 0;
        std::size_t textLength = 0;
        double doubleValue = 0.0;
        std::int32_t intValue = 0;
        AttributeKind kind = AttributeKind::String;
    };

    static constexpr std::size_t kLinearLimit = 16;

    std::string_view KeyOf(const Entry& e) const {
        return std::string_view(m_arena).substr(e.keyOffset, e.keyLength);
    }
    std::string_view TextOf(const Entry& e) const;
    std::string ValueTextOf(const Entry& e) const;
    const Entry& Ordered(std::size_t index) const;
    std::size_t Find(std::string_view key) const;
    Entry& Slot(std::string_view key);
    void IndexEntry(std::size_t entry);
    void Rehash(std::size_t slots);
    void ParseToken(std::string_view token, std::string_view assign);

    std::string m_arena;
    std::vector<Entry> m_entries;             // insertion order
    std::vector<std::size_t> m_index;         // open-addressed hash of entry number + 1; empty for small maps
    mutable std::vector<std::size_t> m_order; // entry numbers in key order, made on demand
    mutable bool m_orderValid = false;
};
