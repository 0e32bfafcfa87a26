#include "batch/RunReport.h"

#include "common/NumberText.h"
#include "common/Utf8.h"
#include "export/SettingsSchema.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>

namespace runreport {

namespace {

// A coordinate as the drawing holds it: rounded to its six decimals, then without trailing zeros
// (2605117.95, not 2605117.9499999974). Beyond what six decimals can show, the shortest form.
void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    if (std::fabs(value) >= 1e15) {
        out += numtext::FormatShortest(value);
        return;
    }
    const std::size_t start = out.size();
    numtext::AppendFixed(out, value, 6);
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    if (out.compare(start, std::string::npos, "-0") == 0)
        out.erase(start, 1);
}

void AppendPoint(std::string& out, const DxfPoint3& point, bool threeD) {
    out += '[';
    AppendNumber(out, point.x);
    out += ", ";
    AppendNumber(out, point.y);
    out += ", ";
    if (threeD)
        AppendNumber(out, point.z);
    else
        out += "null";
    out += ']';
}

void AppendCounts(std::string& out, const std::vector<ConversionResult::Count>& counts, bool asObject) {
    bool first = true;
    for (const ConversionResult::Count& count : counts) {
        out += first ? "" : ", ";
        first = false;
        if (asObject) {
            AppendString(out, count.name);
            out += ": " + std::to_string(count.entities);
        } else {
            out += "{\"name\": ";
            AppendString(out, count.name);
            out += ", \"entities\": " + std::to_string(count.entities) + "}";
        }
    }
}

} // namespace

void AppendString(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text[0]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += kHex[c >> 4U];
            out += kHex[c & 15U];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t length = utf8::SequenceLength(text); length > 1) {
            out.append(text.data(), length);
            text.remove_prefix(length - 1);
        } else {
            out += "\\ufffd";
        }
        text.remove_prefix(1);
    }
    out += '"';
}

// A path that is no UTF-8 (a Linux file name in another encoding) shows as U+FFFD in its string:
// its bytes follow in hex under `key`, so that the file can be found again.
void AppendBytesOfNonUtf8(std::string& out, const char* key, std::string_view path) {
    if (utf8::IsValid(path))
        return;
    static const char kHex[] = "0123456789abcdef";
    out.append(", \"").append(key).append("\": \"");
    for (const char c : path) {
        out += kHex[static_cast<unsigned char>(c) >> 4U];
        out += kHex[static_cast<unsigned char>(c) & 15U];
    }
    out += '"';
}

void AppendWarning(std::string& out, std::uint64_t line, std::string_view key, std::string_view value,
                   std::string_view problem) {
    if (!out.empty())
        out += ",\n      ";
    out += "{\"line\": " + std::to_string(line) + ", \"key\": ";
    AppendString(out, key);
    out += ", \"value\": ";
    AppendString(out, value);
    out += ", \"problem\": ";
    AppendString(out, problem);
    out += '}';
}

namespace {

// Members that are true or false, each as ", \"name\": value".
void AppendSwitches(std::string& out, std::initializer_list<std::pair<const char*, bool>> switches) {
    for (const auto& [name, on] : switches) {
        out += ", \"";
        out += name;
        out += on ? "\": true" : "\": false";
    }
}

} // namespace

std::string Options(const ExportSettings& s, const BatchRequest& request) {
    std::string out = "{\"symbol_size_mm\": ";
    AppendNumber(out, s.m_fSymbolSize);
    AppendSwitches(out, {{"points", s.m_bExportPoints != 0},
                         {"lines", s.m_bExportLines != 0},
                         {"areas", s.m_bExportAreas != 0},
                         {"symbols", s.m_bExportSymbols != 0},
                         {"point_attributes", s.m_bPointAttributes != 0},
                         {"3d", s.m_nDimension != 0},
                         {"polylines", s.m_nLineExport != 0},
                         {"layer_per_code", s.m_bLayerPerCode != 0},
                         {"ascii_names", s.m_bAsciiNames != 0},
                         {"hatch", s.m_bHatch != 0},
                         {"xdata", s.m_bXData != 0}});
    out += ", \"hatch_spacing\": ";
    AppendNumber(out, s.m_fHatchSpacing);
    out += ",\n   \"labels\": [";
    bool first = true;
    for (const settingschema::Setting& row : settingschema::kSettings) {
        using settingschema::Kind;
        using settingschema::LabelSetting;
        if (row.kind != Kind::Switch || row.labelKind == nullptr || row.Field<int>(s) == 0)
            continue;
        const char* kind = row.labelKind;
        out += first ? "{\"kind\": " : ", {\"kind\": ";
        first = false;
        AppendString(out, kind);
        out += ", \"layer\": ";
        AppendString(out, LabelSetting(kind, Kind::LayerName)->Field<std::string>(s));
        // The list's index; the drawing's colour number is one more, and no selection is 0.
        out += ", \"colour\": " + std::to_string(LabelSetting(kind, Kind::Colour)->Field<int>(s) + 1) + "}";
    }
    out += "],\n   \"decimals_en\": " + std::to_string(s.m_nDecimalsEN) +
           ", \"decimals_h\": " + std::to_string(s.m_nDecimalsH) + ", \"codepage\": ";
    if (request.codePage != nullptr)
        AppendString(out, request.codePage->name);
    else
        out += "null";
    AppendSwitches(out, {{"from_settings", request.fromSettings},
                         {"strict", request.strict},
                         {"no_clobber", request.noClobber},
                         {"update", request.update},
                         {"no_sync", request.noSync},
                         {"dry_run", request.dryRun}});
    out += ", \"jobs\": " + std::to_string(request.jobs) + "}";
    return out;
}

std::string FileEntry(const std::string& input, const std::string& output, std::string_view status,
                      const ConversionResult& result, const std::string& message, const std::string& warnings,
                      double seconds) {
    std::string out = "  {\"input\": ";
    AppendString(out, input);
    AppendBytesOfNonUtf8(out, "input_bytes", input);
    out += ", \"output\": ";
    if (status == "failed") {
        out += "null";
    } else {
        AppendString(out, output);
        AppendBytesOfNonUtf8(out, "output_bytes", output);
    }
    out += ",\n   \"status\": ";
    AppendString(out, status);
    out += ", \"message\": ";
    AppendString(out, message);
    out += ",\n   \"read\": {\"points\": " + std::to_string(result.read.points) +
           ", \"lines\": " + std::to_string(result.read.lines) +
           ", \"areas\": " + std::to_string(result.read.areas) +
           "},\n   \"entities\": {\"total\": " + std::to_string(result.entities);
    if (!result.typeEntities.empty())
        out += ", ";
    AppendCounts(out, result.typeEntities, true);
    out += "},\n   \"layers\": [";
    AppendCounts(out, result.layerEntities, false);
    out += "],\n   \"extents\": ";
    if (result.entities > 0 && result.low.x <= result.high.x) {
        const bool threeD = result.low.z <= result.high.z;
        out += "{\"min\": ";
        AppendPoint(out, result.low, threeD);
        out += ", \"max\": ";
        AppendPoint(out, result.high, threeD);
        out += '}';
    } else {
        out += "null";
    }
    out += ",\n   \"codepage\": ";
    if (result.codePage.empty())
        out += "null";
    else
        AppendString(out, result.codePage);
    out += ", \"mended_layers\": [";
    for (std::size_t i = 0; i < result.mendedLayers.size(); ++i) {
        out += i == 0 ? "{\"given\": " : ", {\"given\": ";
        AppendString(out, result.mendedLayers[i].first);
        out += ", \"written\": ";
        AppendString(out, result.mendedLayers[i].second);
        out += '}';
    }
    const codepage::Notes& notes = result.textNotes;
    out += "],\n   \"texts\": {\"not_in_codepage\": " + std::to_string(notes.notInPage) +
           ", \"beyond_u_ffff\": " + std::to_string(notes.beyondBmp) +
           ", \"with_notations\": " + std::to_string(notes.notations) + ", \"characters\": [";
    // Those the page lacks first, then those above U+FFFF: the first 16 of both.
    std::vector<std::uint32_t> characters = notes.lacking;
    characters.insert(characters.end(), notes.beyond.begin(), notes.beyond.end());
    characters.resize(std::min(characters.size(), codepage::Notes::kListed));
    for (std::size_t i = 0; i < characters.size(); ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "%s\"U+%04X\"", i == 0 ? "" : ", ",
                      static_cast<unsigned>(characters[i]));
        out += code;
    }
    out += "]}";
    out += ",\n   \"warnings\": [";
    if (!warnings.empty())
        out += "\n      " + warnings + "\n   ";
    out += "],\n   \"bytes\": " + std::to_string(result.Ok() ? result.bytes : 0) + ", \"seconds\": ";
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", seconds);
    out += time;
    out += '}';
    return out;
}

bool Writer::Open(const std::string& version, const std::string& options) {
    if (!m_file.Open())
        return false;
    std::string head = R"({"program": "frt2dxf-batch", "version": )";
    AppendString(head, version);
    head += ",\n \"options\": " + options + ",\n \"files\": [\n";
    return m_file.Write(head.data(), head.size());
}

void Writer::Add(const std::string& entry) {
    const std::string text = (m_first ? "" : ",\n") + entry;
    m_first = false;
    (void)m_file.Write(text.data(), text.size()); // a failure is kept and told by Finish
}

bool Writer::Finish(const Summary& summary) {
    std::string end = m_first ? "],\n" : "\n ],\n";
    end += R"( "summary": {"inputs": )" +
           std::to_string(summary.converted + summary.skipped + summary.failed) +
           ", \"converted\": " + std::to_string(summary.converted) +
           ", \"skipped\": " + std::to_string(summary.skipped) +
           ", \"failed\": " + std::to_string(summary.failed) +
           ", \"warnings\": " + std::to_string(summary.warnings) + "}}\n";
    return m_file.Write(end.data(), end.size()) && m_file.Commit();
}

} // namespace runreport
