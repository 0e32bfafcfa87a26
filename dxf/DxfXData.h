#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TextStream;

// Extended data of one application, strings only: written after the groups of the entity that
// carries it as 1001 (the application), 1002 "{", one 1000 per string, 1002 "}". Kept from entity
// to entity: clear() keeps its buffers.
class DxfXData {
public:
    void clear(std::string_view application);
    // The next string, as given; the writer encodes it and cuts it to 255 bytes, as a text's.
    void add(std::string_view text);
    // The string KEY=value.
    void add(std::string_view key, std::string_view value);
    void write(TextStream& stream) const;

private:
    [[nodiscard]] std::string_view at(std::size_t index) const;

    std::string m_application;
    std::string m_texts;             // the strings one after the other
    std::vector<std::size_t> m_ends; // where each ends in m_texts
};
