#include "report/snapshot_legend.h"

#include <algorithm>
#include <cstdio>

#include "city/city_geometry.h"
#include "records/colour.h"
#include "records/project_stats.h"
#include "scoring/scoring_topic.h"

namespace codeburg {

namespace {

// The colour a method of these figures gets in "mode".
uint32_t Sample(DisplayMode mode, const ColourReferences& refs, uint32_t fileColour, int32_t eloc,
                int32_t comments, int32_t asserts)
{
    MethodStats m;
    m.eloc = eloc;
    m.commentLines = comments;
    m.asserts = asserts;
    return MethodColour(m, fileColour, mode, refs);
}

std::string Printf(const char* format, double a, double b = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::vector<LegendKeyEntry> KeyOf(const ProjectStats& stats, DisplayMode mode)
{
    const ColourReferences refs = ColourReferencesOf(stats);
    // Mode 0 keeps each file's hue; the largest file's shows how light and dark read.
    uint32_t fileColour = 0x00808080;
    if (!stats.files.empty() && stats.files.front()) fileColour = stats.files.front()->colour;
    const double assertPercent = refs.assertReference * 100.0;
    switch (mode) {
        case DisplayMode::Readability:
            return {
                {Sample(DisplayMode::Readability, refs, fileColour, 100, 10, 0),
                 "comments+asserts to 30% of eloc"},
                {Sample(DisplayMode::Readability, refs, fileColour, 100, 40, 0), "over 30%: grey"},
                {Sample(DisplayMode::Readability, refs, fileColour, 100, 60, 0),
                 "50% and more: white"}};
        case DisplayMode::Asserts:
            return {{Sample(DisplayMode::Asserts, refs, fileColour, 1000, 0, 0),
                     Printf("asserts to %.1f%% of eloc: dark red", assertPercent)},
                    {Sample(DisplayMode::Asserts, refs, fileColour, 1000, 0,
                            int32_t(refs.assertReference * 1000) + 1),
                     Printf("over %.1f%%: grey to white", assertPercent)}};
        case DisplayMode::LineMethod:
            return {{Sample(DisplayMode::LineMethod, refs, fileColour, refs.lineCount + 1, 0, 0),
                     Printf("over %.0f eloc: dark red", refs.lineCount)},
                    {Sample(DisplayMode::LineMethod, refs, fileColour, refs.lineCount, 0, 0),
                     Printf("up to %.0f eloc: grey to white", refs.lineCount)}};
        default:
            return {{fileColour, "one hue per file"},
                    {Sample(DisplayMode::Color, refs, fileColour, 100, 0, 0),
                     "dim: comments+asserts < 80% eloc"},
                    {Sample(DisplayMode::Color, refs, fileColour, 100, 150, 0),
                     "bright: 150% and more"}};
    }
}

}  // namespace

LegendFacts LegendFactsOf(const ProjectStats& stats, DisplayMode mode, const std::string& buildDate)
{
    LegendFacts facts;
    facts.project = stats.name;
    facts.buildDate = buildDate;
    facts.files = static_cast<int32_t>(stats.files.size());
    facts.methods = stats.measures.totalMethods;
    facts.eloc = stats.measures.totalEloc;
    facts.overallPercent = ScorePercent(stats.measures.overallScore);
    facts.keyTitle = DisplayModeName(mode);
    facts.key = KeyOf(stats, mode);
    return facts;
}

int32_t LegendTextPixels(int32_t width, int32_t height)
{
    return std::max<int32_t>(11, std::min(width, height) / 40);
}

LegendLayout LayoutLegend(const LegendFacts& facts, int32_t width, int32_t height)
{
    LegendLayout layout;
    const int32_t px = LegendTextPixels(width, height);
    const int32_t line = px * 14 / 10;
    const int32_t pad = px / 2 + 2;
    const int32_t swatch = px;
    layout.textPixels = px;
    layout.panelColour = 0x00000000;
    layout.x = pad;
    layout.y = pad;

    std::vector<std::string> lines;
    lines.push_back(facts.project.empty() ? "(unnamed project)" : facts.project);
    if (!facts.buildDate.empty()) lines.push_back("built " + facts.buildDate);
    lines.push_back(std::to_string(facts.files) + " files, " + std::to_string(facts.methods) +
                    " methods");
    lines.push_back(std::to_string(facts.eloc) + " eloc, overall score " +
                    std::to_string(facts.overallPercent) + "%");
    lines.push_back(facts.keyTitle);

    // Arial averages about half an em a letter; 0.58 leaves room for capitals.
    auto textWidth = [&](const std::string& text) {
        return static_cast<int32_t>(text.size() * px * 58 / 100);
    };
    int32_t widest = 0;
    for (const std::string& text : lines) widest = std::max(widest, textWidth(text));
    for (const LegendKeyEntry& entry : facts.key)
        widest = std::max(widest, swatch + pad + textWidth(entry.text));

    int32_t y = layout.y + pad;
    const int32_t left = layout.x + pad;
    for (size_t i = 0; i < lines.size(); ++i) {
        // The project in white, the figures lighter grey, the key's title yellow.
        const uint32_t colour = i == 0                  ? 0xFFFFFFFF
                                : i + 1 == lines.size() ? 0xFFFFFF00
                                                        : 0xFFD0D0D0;
        layout.texts.push_back({left, y, colour, lines[i]});
        y += line;
    }
    for (const LegendKeyEntry& entry : facts.key) {
        layout.swatches.push_back({left, y + (line - swatch) / 2, swatch, entry.colour});
        layout.texts.push_back({left + swatch + pad, y, 0xFFD0D0D0, entry.text});
        y += line;
    }
    layout.width = widest + 2 * pad;
    layout.height = y - layout.y + pad;
    return layout;
}

}  // namespace codeburg
