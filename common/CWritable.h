#pragma once

class TextStream;

// Root of the polymorphic records of both data models: FRT elements and DXF entities.
// Only the DXF entities give write a body.
class CWritable {
public:
    CWritable() = default;
    CWritable(const CWritable&) = default;
    CWritable& operator=(const CWritable&) = default;
    virtual ~CWritable() = default;

    virtual void write(TextStream& /*stream*/) const {}
};
