#pragma once

#include "common/CWritable.h"
#include "frt/CAttributeMap.h"
#include "frt/FrtCode.h"
#include "frt/FrtTypes.h"

#include <cstddef>
#include <string>
#include <string_view>

// Common base of points, lines and areas. The attribute map holds the record's typed
// attributes of this element's letter.
class CFrtElement : public CWritable, public CAttributeMap {
public:
    // From the small-object pool: a reader makes one element per record. Only the sized delete:
    // at class scope an unsized one would be chosen instead, and the pool needs the size.
    static void* operator new(std::size_t size); // NOLINT(misc-new-delete-overloads)
    static void operator delete(void* memory, std::size_t size) noexcept;

    FrtElementType GetType() const { return m_type; }

    void SetName(std::string_view name) { m_name.assign(name); }
    const std::string& GetName() const { return m_name; }
    void SetCode(const FrtCode& code) { m_code = code; }
    // The code group and code set in place, without a code of their own first.
    void SetCode(std::string_view group, std::string_view code) {
        m_code.SetGroup(group);
        m_code.SetCodeText(code);
    }
    const FrtCode& GetCode() const { return m_code; }
    // The 1-based line of the record a line or an area begins with; 0 where not known.
    void SetLine(std::uint64_t line) { m_line = line; }
    std::uint64_t GetLine() const { return m_line; }

    // Only keys "_" + kind + this element's letter ("P", "L", "A") + name.
    void ImportTyped(const CAttributeMap& source) override;

protected:
    explicit CFrtElement(FrtElementType type) : m_type(type) {}

private:
    FrtElementType m_type;
    std::string m_name;
    FrtCode m_code;
    std::uint64_t m_line = 0;
};
