#pragma once

#include <string>
#include <string_view>

// The code group and the point or line code of an element, kept whole.
class FrtCode {
public:
    void Clear() {
        m_group.clear();
        m_code.clear();
    }
    void SetGroup(std::string_view group) { m_group.assign(group); }
    void SetCodeText(std::string_view code) { m_code.assign(code); }
    [[nodiscard]] const std::string& GetGroup() const { return m_group; }
    [[nodiscard]] const std::string& GetCodeText() const { return m_code; }

private:
    std::string m_group;
    std::string m_code;
};
