#pragma once

#include "dxf/CDxfEntity.h"

#include <memory>
#include <string>
#include <vector>

// A block definition: its name (groups 2 and 3) and its entities in insertion order.
struct CDxfBlock {
    std::string name;
    std::vector<std::unique_ptr<CDxfEntity>> entities;

    CDxfEntity* addEntity(std::unique_ptr<CDxfEntity> entity) {
        entities.push_back(std::move(entity));
        return entities.back().get();
    }
};
