#pragma once

#include "common/CWritable.h"
#include "dxf/DxfAttributes.h"
#include "dxf/DxfPoint3.h"
#include "dxf/DxfXData.h"

#include <cstddef>
#include <cstdint>

// Entity kinds, one bit each.
enum DxfEntityType : std::int32_t {
    DXF_ENTITY_VERTEX = 1,
    DXF_ENTITY_POINT = 2,
    DXF_ENTITY_LINE = 4,
    DXF_ENTITY_POLYLINE = 8,
    DXF_ENTITY_INSERT = 128,
    DXF_ENTITY_TEXT = 256,
    DXF_ENTITY_CIRCLE = 512,
    DXF_ENTITY_ATTRIB = 1024, // an INSERT's attribute value
    DXF_ENTITY_ATTDEF = 2048, // a block's attribute definition
};

// The polymorphic base of all entities.
class CDxfEntity : public CWritable {
public:
    CDxfEntity(const CDxfEntity&) = default;
    CDxfEntity& operator=(const CDxfEntity&) = default;
    ~CDxfEntity() override = default;

    // Only the sized delete: at class scope an unsized one would be chosen instead, and the
    // pool needs the size.
    static void* operator new(std::size_t size); // NOLINT(misc-new-delete-overloads)
    static void operator delete(void* memory, std::size_t size) noexcept;

    [[nodiscard]] std::int32_t entityType() const { return m_entityType; }

    void write(TextStream& /*stream*/) const override {}
    // The reference point, or null.
    virtual DxfPoint3* position() { return nullptr; }
    [[nodiscard]] const DxfPoint3* position() const { return const_cast<CDxfEntity*>(this)->position(); }
    virtual void setPosition(const DxfPoint3& /*point*/) {}
    virtual void setAttributes(const DxfAttributes& /*attributes*/) {}
    // The entity's own attributes, to change single fields, or null.
    virtual DxfAttributes* attributes() { return nullptr; }
    [[nodiscard]] const DxfAttributes* attributes() const {
        return const_cast<CDxfEntity*>(this)->attributes();
    }

    // Written after the entity's own groups, if any; not owned.
    const DxfXData* xdata = nullptr;

protected:
    explicit CDxfEntity(DxfEntityType type) : m_entityType(type) {}
    void writeXData(TextStream& stream) const {
        if (xdata != nullptr)
            xdata->write(stream);
    }

private:
    std::int32_t m_entityType;
};

// The common shape of the entities that have a reference point and attributes of their own.
class CDxfLocatedEntity : public CDxfEntity {
public:
    DxfPoint3* position() override { return &location; }
    void setPosition(const DxfPoint3& point) override { location = point; }
    void setAttributes(const DxfAttributes& attributes) override { attrs = attributes; }
    DxfAttributes* attributes() override { return &attrs; }

    DxfPoint3 location;
    DxfAttributes attrs;

protected:
    CDxfLocatedEntity(DxfEntityType type, double x, double y, double z)
        : CDxfEntity(type), location{x, y, z} {}
};
