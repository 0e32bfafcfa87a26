#pragma once

#include "export/ISettingsStore.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

// A settings store in memory that remembers the order of writes.
class MemoryStore : public ISettingsStore {
public:
    using Value = std::variant<int, std::string>;

    int ReadInt(std::string_view section, std::string_view name, int fallback) override {
        const auto found = values.find(Key(section, name));
        return found != values.end() && std::holds_alternative<int>(found->second)
                   ? std::get<int>(found->second)
                   : fallback;
    }
    std::string ReadText(std::string_view section, std::string_view name,
                         std::string_view fallback) override {
        const auto found = values.find(Key(section, name));
        return found != values.end() && std::holds_alternative<std::string>(found->second)
                   ? std::get<std::string>(found->second)
                   : std::string(fallback);
    }
    void WriteInt(std::string_view section, std::string_view name, int value) override {
        values[Key(section, name)] = value;
        order.emplace_back(name);
    }
    void WriteText(std::string_view section, std::string_view name, std::string_view value) override {
        values[Key(section, name)] = std::string(value);
        order.emplace_back(name);
    }

    static std::string Key(std::string_view section, std::string_view name) {
        return std::string(section) + "/" + std::string(name);
    }

    std::map<std::string, Value> values;
    std::vector<std::string> order;
};
