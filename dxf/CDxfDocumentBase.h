#pragma once

#include "dxf/CDxfEntity.h"
#include "dxf/DxfWriteSettings.h"

#include <cstdint>
#include <memory>
#include <string>

// What the conversion and the export run hold the document through.
class CDxfDocumentBase {
public:
    CDxfDocumentBase() = default;
    CDxfDocumentBase(const CDxfDocumentBase&) = delete;
    CDxfDocumentBase& operator=(const CDxfDocumentBase&) = delete;
    virtual ~CDxfDocumentBase() = default;

    virtual CDxfEntity* addEntity(std::unique_ptr<CDxfEntity> entity) = 0;
    virtual DxfWriteResult write(const std::string& path, const DxfWriteSettings* settings) const = 0;
    [[nodiscard]] virtual std::int32_t entityCount() const = 0;
};
