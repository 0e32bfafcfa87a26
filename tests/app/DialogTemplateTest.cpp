// The Windows dialog comes from its resource script, the Qt dialog from the template table:
// both must show the same controls with the same ids, texts and places.
#include "app/ExportDlgTemplate.h"
#include "export/SettingsSchema.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct RcControl {
    std::string keyword;
    std::string text;
    int id = 0;
    std::string style;
    int x = 0, y = 0, width = 0, height = 0;
};

std::string Trim(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    const std::size_t end = text.find_last_not_of(" \t\r");
    return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}

std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields;
    std::stringstream in(text);
    for (std::string field; std::getline(in, field, ',');)
        fields.push_back(Trim(field));
    return fields;
}

int IdOf(const std::string& text) {
    if (text == "IDOK")
        return 1;
    if (text == "IDCANCEL")
        return 2;
    return std::stoi(text);
}

// The controls between BEGIN and END of the dialog, in their order. (No std::regex: GCC 12 warns
// about its insides in the sanitizer build.)
std::vector<RcControl> ReadScript(const std::string& path, int& width, int& height) {
    std::ifstream in(path);
    std::vector<RcControl> controls;
    const std::string dialog = "IDD_EXPORT DIALOGEX ";
    bool inside = false;
    for (std::string text; std::getline(in, text);) {
        const std::string line = Trim(text);
        if (line.rfind(dialog, 0) == 0) {
            const std::vector<std::string> f = Fields(line.substr(dialog.size()));
            width = std::stoi(f.at(2));
            height = std::stoi(f.at(3));
        } else if (line == "BEGIN") {
            inside = true;
        } else if (line == "END") {
            inside = false;
        } else if (inside && !line.empty()) {
            RcControl control;
            const std::size_t blank = line.find(' ');
            control.keyword = line.substr(0, blank);
            std::string rest = Trim(line.substr(blank + 1));
            if (!rest.empty() && rest.front() == '"') {
                const std::size_t close = rest.find('"', 1);
                control.text = rest.substr(1, close - 1);
                rest = Trim(rest.substr(rest.find(',', close) + 1));
            }
            const std::vector<std::string> f = Fields(rest);
            std::size_t at = 0;
            control.id = IdOf(f.at(at++));
            if (control.keyword == "CONTROL") {
                ++at; // the window class
                control.style = f.at(at++);
            }
            control.x = std::stoi(f.at(at++));
            control.y = std::stoi(f.at(at++));
            control.width = std::stoi(f.at(at++));
            control.height = std::stoi(f.at(at++));
            if (at < f.size())
                control.style = f.at(at);
            controls.push_back(control);
        }
    }
    return controls;
}

exportdlg::ControlKind KindOf(const RcControl& control) {
    using exportdlg::ControlKind;
    const auto has = [&control](const char* style) { return control.style.find(style) != std::string::npos; };
    if (control.keyword == "GROUPBOX" || (control.keyword == "CONTROL" && has("BS_GROUPBOX")))
        return ControlKind::Group;
    if (control.keyword == "CONTROL" && has("BS_AUTOCHECKBOX"))
        return ControlKind::Check;
    if (control.keyword == "CONTROL" && has("BS_AUTORADIOBUTTON"))
        return ControlKind::Radio;
    if (control.keyword == "EDITTEXT")
        return ControlKind::Edit;
    if (control.keyword == "COMBOBOX")
        return ControlKind::List;
    if (control.keyword == "LTEXT" || control.keyword == "RTEXT")
        return ControlKind::Label;
    return ControlKind::Button;
}

} // namespace

TEST(DialogTemplate, TheResourceScriptAndTheTemplateShowTheSameControls) {
    int width = 0;
    int height = 0;
    const std::vector<RcControl> script =
        ReadScript(std::string(FRT2DXF_SOURCE_DIR) + "/app/win32/frt2dxf.rc", width, height);
    EXPECT_EQ(width, exportdlg::kWidth);
    EXPECT_EQ(height, exportdlg::kHeight);
    ASSERT_EQ(script.size(), std::size(exportdlg::kControls));
    for (std::size_t i = 0; i < script.size(); ++i) {
        const RcControl& rc = script[i];
        const exportdlg::ControlSpec& spec = exportdlg::kControls[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(spec.id));
        EXPECT_EQ(rc.id, spec.id);
        EXPECT_EQ(KindOf(rc), spec.kind);
        // The version is set when the dialog opens, from the build's.
        EXPECT_EQ(rc.text, spec.id == exportdlg::id::kVersion ? std::string() : std::string(spec.text));
        EXPECT_EQ(rc.x, spec.x);
        EXPECT_EQ(rc.y, spec.y);
        EXPECT_EQ(rc.width, spec.width);
        EXPECT_EQ(rc.height, spec.height);
        // Nothing touches the dialog's edge: the frames keep 8 units from it, as Windows' own do.
        EXPECT_LE(spec.x + spec.width, exportdlg::kWidth - 8);
    }
}

// Every setting is shown by a control of the template that can hold it.
TEST(DialogTemplate, EverySettingHasItsControl) {
    using exportdlg::ControlKind;
    using settingschema::Kind;
    const auto kindOf = [](int id) {
        for (const exportdlg::ControlSpec& spec : exportdlg::kControls)
            if (spec.id == id)
                return spec.kind;
        ADD_FAILURE() << "no control " << id;
        return ControlKind::Label;
    };
    std::set<int> used;
    for (const settingschema::Setting& setting : settingschema::kSettings) {
        SCOPED_TRACE(setting.stored != nullptr ? setting.stored : "not stored");
        if (!setting.OnDialog())
            continue;
        EXPECT_TRUE(used.insert(setting.control).second) << "one control for two settings";
        switch (setting.kind) {
        case Kind::Switch:
            EXPECT_EQ(kindOf(setting.control), ControlKind::Check);
            break;
        case Kind::Choice:
            EXPECT_EQ(kindOf(setting.control), ControlKind::Radio);
            EXPECT_EQ(kindOf(setting.secondControl), ControlKind::Radio);
            break;
        case Kind::LayerName:
        case Kind::Decimals:
        case Kind::SymbolSize:
        case Kind::Spacing:
            EXPECT_EQ(kindOf(setting.control), ControlKind::Edit);
            break;
        case Kind::Colour:
            EXPECT_EQ(kindOf(setting.control), ControlKind::List);
            break;
        }
    }
}
