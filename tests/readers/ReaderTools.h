#pragma once

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// Runs a command and returns what it printed on stdout (stderr goes to the given file, if any).
inline std::string Capture(const std::string& command, int* status = nullptr) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int rc = pclose(pipe);
    if (status != nullptr)
        *status = rc;
    return output;
}

inline std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

struct EzdxfReport {
    bool loaded = false;
    std::string version;
    int auditErrors = -1;
    std::map<std::string, int> entities;
    int vertices = 0;
    std::map<std::string, int> blocks;
    std::vector<std::string> layers;
    std::vector<std::string> lineTypes;
    std::string raw;
};

// Checks several files in one ezdxf process; the reports come in the order of the paths.
inline std::vector<EzdxfReport> RunEzdxf(const std::vector<std::string>& paths) {
    std::string command = "/usr/bin/python3 " FRT2DXF_SOURCE_DIR "/tests/readers/check_dxf.py";
    for (const std::string& path : paths)
        command += " " + Quoted(path);
    const std::string raw = Capture(command + " 2>&1");
    std::vector<EzdxfReport> reports;
    std::istringstream lines(raw);
    std::string word;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        in >> word;
        if (word == "file") {
            reports.emplace_back();
            continue;
        }
        if (reports.empty())
            reports.emplace_back(); // python failed before the first file
        EzdxfReport& report = reports.back();
        report.raw += line + "\n";
        if (word == "version") {
            in >> report.version;
            report.loaded = true;
        } else if (word == "audit_errors") {
            in >> report.auditErrors;
        } else if (word == "entity") {
            std::string kind;
            int n = 0;
            in >> kind >> n;
            report.entities[kind] = n;
        } else if (word == "vertices") {
            in >> report.vertices;
        } else if (word == "block") {
            std::string name;
            int n = 0;
            in >> name >> n;
            report.blocks[name] = n;
        } else if (word == "layer") {
            // ezdxf adds its own "Defpoints" layer to every drawing it loads.
            if (line.substr(6) != "Defpoints")
                report.layers.push_back(line.substr(6));
        } else if (word == "linetype") {
            report.lineTypes.push_back(line.substr(9));
        }
    }
    reports.resize(paths.size());
    return reports;
}

inline EzdxfReport RunEzdxf(const std::string& path) {
    return RunEzdxf(std::vector<std::string>{path}).front();
}

struct OgrReport {
    int featureCount = -1;
    std::vector<std::string> layers; // distinct values of the "Layer" field, sorted
    std::string errors;              // what ogrinfo printed on stderr
    std::string raw;
};

// ogrinfo exits 0 even on a truncated file and reports on stderr, so stderr is kept apart.
inline OgrReport RunOgrinfo(const std::string& path) {
    OgrReport report;
    const std::string errors = path + ".ogr-errors";
    report.raw = Capture("ogrinfo -ro -al -so " + Quoted(path) + " 2>" + Quoted(errors));
    report.errors = Capture("cat " + Quoted(errors));
    std::remove(errors.c_str());
    const auto at = report.raw.find("Feature Count: ");
    if (at != std::string::npos)
        report.featureCount = std::stoi(report.raw.substr(at + 15));
    const std::string layers =
        Capture("ogrinfo -ro -q -sql \"SELECT DISTINCT Layer FROM entities ORDER BY Layer\" " + Quoted(path) +
                " 2>&1");
    std::istringstream lines(layers);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find("Layer (String) = ");
        if (eq != std::string::npos)
            report.layers.push_back(line.substr(eq + 17));
    }
    return report;
}

// Whether dime, one more independent reader, reads the whole drawing: its converter to VRML
// exits 255 on a read error. What it said, when it did not.
inline std::string DimeProblem(const std::string& path) {
    int status = 0;
    const std::string said =
        Capture("dxf2vrml " + Quoted(path) + " -o " + Quoted(path + ".wrl") + " 2>&1", &status);
    std::remove((path + ".wrl").c_str());
    return status == 0 ? std::string() : "status " + std::to_string(status) + ": " + said;
}
