#include "city/hud_text.h"

#include <cstdarg>
#include <cstdio>

#include "city/city_geometry.h"
#include "records/file_stats.h"
#include "records/project_stats.h"
#include "scoring/scoring_topic.h"

namespace codeburg {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kYellow = 0xFFFFFF00;

std::string Format(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

}  // namespace

const char* const kCreditLine = "Drawn by codeburg - every building is a method";

bool CityFilter::Matches(const MethodStats& m) const
{
    switch (kind) {
        case FilterKind::File:
            return m.file && m.file->name == fileName;
        case FilterKind::Class:
            return m.cls == cls;
        case FilterKind::Method:
            return &m == method;
        default:
            return true;
    }
}

void FilterMasks(const CityGeometry& geometry, const CityFilter& filter,
                 std::vector<bool>& boxVisible, std::vector<bool>& towerVisible)
{
    boxVisible.clear();
    towerVisible.clear();
    if (filter.kind == FilterKind::None) return;
    for (const BoxBuilding& b : geometry.boxes)
        boxVisible.push_back(b.method && filter.Matches(*b.method));
    for (const TowerBuilding& t : geometry.towers)
        towerVisible.push_back(t.method && filter.Matches(*t.method));
}

std::vector<HudText> HudTexts(const ProjectStats* stats, const HudState& state,
                              const MethodStats* picked, const CityFilter& filter)
{
    std::vector<HudText> lines;
    auto add = [&lines](int32_t x, int32_t y, std::string text, uint32_t colour = kWhite) {
        lines.push_back(HudText{x, y, colour, std::move(text)});
    };
    if (!stats) {
        add(10, 10, "Select a project in the treeview");
        return lines;
    }
    const ProjectMeasures& m = stats->measures;
    add(10, 10,
        Format("Fly mode: F2/F3 - Display mode F6 -  %s",
               state.fullScreen ? "Alt+Enter to leave fullscreen mode"
                                : "Alt+Enter to enter fullscreen mode"));
    add(10, 50, Format("Project : %s", stats->name.c_str()));
    add(10, 70, Format("%d cpp files", static_cast<int>(stats->files.size())));
    add(10, 90, Format("%d methods", m.totalMethods));
    add(10, 110, Format("%d methods/class", stats->MethodsPerFile()));
    add(10, 130, Format("%.1f lines/method", static_cast<double>(m.elocPerMethod)));
    add(10, 150, Format("%d max lines/method", m.maxMethodEloc));
    add(10, 170, Format("%.2f distribution", static_cast<double>(m.distribution)));
    add(10, 190, Format("%d total lines", m.totalEloc));
    add(10, 210, Format("%d%% comments", ScorePercent(m.commentRatio)));
    add(10, 230, Format("%.1f0%% asserts", static_cast<double>(m.assertRatio) * 100.0));
    add(10, 250, Format("%d%% spacing", ScorePercent(m.spacingRatio)));
    add(10, 270, Format("OVERALL: %d%%", ScorePercent(m.overallScore)));

    std::string hint;
    if (state.flyMode == 0) {
        hint = state.paused ? "Use right click to resume movement."
                            : "Use right click to stop moving.";
    } else {
        hint =
            "Use mouse and arrow keys to move inside the city. Use Page Down & Page Up to "
            "change altitude.";
        hint += state.mouseLook ? " Right click to disable the mouse."
                                : " Right click to enable the mouse.";
    }
    add(10, state.clientHeight - 20, hint);
    if (state.snapshot) add(30, state.clientHeight - 200, kCreditLine);
    add(10, state.clientHeight - 150, DisplayModeName(state.displayMode));

    if (picked && filter.Matches(*picked)) {
        const int32_t x = state.clientWidth - 150;
        add(x, 50, Format("File: %s", picked->file ? picked->file->name.c_str() : ""), kYellow);
        add(x, 70, Format("Class: %s", picked->className.c_str()), kYellow);
        add(x, 90, Format("Name: %s", picked->methodName.c_str()), kYellow);
        add(x, 110, Format("Eloc: %d", picked->eloc), kYellow);
        add(x, 130, Format("Comments: %d", picked->commentLines), kYellow);
        add(x, 150, Format("Asserts: %d", picked->asserts), kYellow);
        add(x, 170, Format("Empty: %d", picked->emptyLines), kYellow);
    }
    return lines;
}

}  // namespace codeburg
