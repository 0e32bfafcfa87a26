// Prints what the FRT reader takes from a file: one line per point, line and area.
#include "frt/CFrtArea.h"
#include "frt/CFrtReader.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

void PrintPoint(const CFrtPoint& point, const char* indent) {
    const FrtCoordinates& c = point.GetCoordinates();
    std::printf("%spoint %s  E %.3f  N %.3f  H %.3f  group '%s'  code '%s'  class %s\n", indent,
                point.GetName().c_str(), c.GetEasting(), c.GetNorthing(), c.GetHeight(),
                point.GetCode().GetGroup().c_str(), point.GetCode().GetCodeText().c_str(),
                std::string(point.GetClassName()).c_str());
}

void PrintLine(const CFrtLine& line, const char* what) {
    std::printf("%s %s  group '%s'  code '%s'  type '%s'  colour %06x  %zu vertices\n", what,
                line.GetName().c_str(), line.GetCode().GetGroup().c_str(),
                line.GetCode().GetCodeText().c_str(), std::string(line.GetLineTypeName()).c_str(),
                static_cast<unsigned>(line.GetColour()), line.GetVertices().size());
    for (const auto& vertex : line.GetVertices())
        PrintPoint(*vertex, "    ");
}

class PrintingConsumer : public IFrtConsumer {
public:
    void Process(std::unique_ptr<CFrtElement> element) override {
        switch (element->GetType()) {
        case FRT_ELEMENT_POINT:
            PrintPoint(static_cast<const CFrtPoint&>(*element), "");
            break;
        case FRT_ELEMENT_LINE:
            PrintLine(static_cast<const CFrtLine&>(*element), "line");
            break;
        case FRT_ELEMENT_AREA:
            if (const CFrtLine* boundary = static_cast<const CFrtArea&>(*element).GetBoundary())
                PrintLine(*boundary, "area");
            break;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: frt-dump FILE.frt\n");
        return 2;
    }
    const DataKindFlags kinds = DATA_KIND_POINTS | DATA_KIND_LINES | DATA_KIND_AREAS;
    CFrtReader reader(std::make_unique<PrintingConsumer>(), &kinds);
    const FrtReadResult result = reader.Read(argv[1]);
    if (!result.Ok()) {
        std::fprintf(stderr, "frt-dump: %s: %s\n", argv[1], result.error.Reason().c_str());
        return 1;
    }
    std::printf("%llu elements from %llu bytes\n", static_cast<unsigned long long>(result.elements),
                static_cast<unsigned long long>(result.bytes));
    return 0;
}
