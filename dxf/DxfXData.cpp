#include "dxf/DxfXData.h"

#include "common/TextStream.h"
#include "dxf/DxfGroup.h"

void DxfXData::clear(std::string_view application) {
    m_application.assign(application);
    m_texts.clear();
    m_ends.clear();
}

void DxfXData::add(std::string_view text) {
    m_texts += text;
    m_ends.push_back(m_texts.size());
}

void DxfXData::add(std::string_view key, std::string_view value) {
    m_texts += key;
    m_texts += '=';
    add(value);
}

std::string_view DxfXData::at(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
    return std::string_view(m_texts).substr(begin, m_ends[index] - begin);
}

void DxfXData::write(TextStream& stream) const {
    stream.TwoLines("1001", 4, m_application.data(), m_application.size());
    stream.TwoLines("1002", 4, "{", 1);
    for (std::size_t i = 0; i < m_ends.size(); ++i)
        dxfgroup::InputText(stream, "1000", at(i));
    stream.TwoLines("1002", 4, "}", 1);
}
