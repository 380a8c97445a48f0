#include "report/html_report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/safe_file.h"
#include "records/colour.h"
#include "records/project_stats.h"
#include "report/html_report_assets.h"
#include "report/json_text.h"
#include "scoring/scoring_topic.h"

namespace codeburg {

namespace {

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Hex(uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
    return text;
}

// The printed sheet's bar colours: red at 0, green at 1, darker to the right.
void GaugeColours(float score, uint32_t& left, uint32_t& right)
{
    const auto red = static_cast<uint32_t>((1.0f - score) * 255);
    const auto green = static_cast<uint32_t>(score * 255);
    left = red << 16 | green << 8;
    const Hsv hsv = ColorToHsv(red | green << 8);  // red in the low byte
    right = HsvToColor(hsv.hue, hsv.saturation, hsv.value * 0.65);
}

void AppendGauge(std::string& out, const std::string& label, float score, int percent,
                 const ScoringTopic* topic)
{
    uint32_t left = 0, right = 0;
    GaugeColours(score, left, right);
    out += topic ? "<div class=\"gauge\">" : "<div class=\"gauge overall\">";
    out += "<span class=\"label\">" + HtmlEscape(label.substr(0, 127)) + " :</span>";
    out +=
        "<div class=\"bar\" role=\"meter\" aria-valuemin=\"0\" aria-valuemax=\"100\" "
        "aria-valuenow=\"" +
        std::to_string(percent) + "\"><div style=\"width:" + Format("%.2f", score * 100.0) +
        "%;background:linear-gradient(to right," + Hex(left) + "," + Hex(right) +
        ")\"></div></div>";
    out += "<span class=\"pct\">" + std::to_string(percent) + "%</span>";
    if (topic) {
        char shown[96];
        std::snprintf(shown, sizeof shown, "%.*f %s", std::clamp(topic->decimals, 0, 9),
                      double(topic->shownValue), topic->unit.c_str());
        out += "<span class=\"shown\">" + HtmlEscape(shown) + "</span>";
        out += "<span class=\"weight\">" + Format("%.2f", topic->weight) + "</span>";
    }
    out += "</div>\n";
}

void AppendScoreSheet(std::string& out, const ProjectStats& stats)
{
    out += "<section id=\"score\"><h2>Score sheet</h2>\n";
    for (const ScoringTopic& topic : stats.topics) {
        const float score = TopicScore(topic);
        AppendGauge(out, topic.name, score, ScorePercent(score), &topic);
    }
    const int overall = ScorePercent(stats.measures.overallScore);
    AppendGauge(out, "OVERALL", overall * 0.01f, overall, nullptr);
    out += "</section>\n";
}

void AppendTopics(std::string& out, const ProjectStats& stats)
{
    out +=
        "<section id=\"topics\"><h2>Topics</h2><table><thead><tr><th>Topic</th>"
        "<th class=\"n\">Reference</th><th class=\"n\">Tolerance</th><th class=\"n\">Ratio-"
        "</th><th class=\"n\">Ratio+</th><th class=\"n\">Weight</th><th>Unit</th>"
        "<th class=\"n\">Measured</th><th class=\"n\">Score</th></tr></thead><tbody>\n";
    for (const ScoringTopic& t : stats.topics) {
        char measured[64];
        std::snprintf(measured, sizeof measured, "%.*f", std::clamp(t.decimals, 0, 9),
                      double(t.shownValue));
        out += "<tr><td>" + HtmlEscape(t.name) + "</td><td class=\"n\">" +
               std::to_string(int(t.reference * 100)) + "</td><td class=\"n\">&plusmn;" +
               std::to_string(int(t.tolerance * 100)) + "</td><td class=\"n\">" +
               Format("%.2f", t.ratioMinus) + "</td><td class=\"n\">" +
               Format("%.2f", t.ratioPlus) + "</td><td class=\"n\">" + Format("%.2f", t.weight) +
               "</td><td>" + HtmlEscape(t.unit) + "</td><td class=\"n\">" + measured +
               "</td><td class=\"n\">" + std::to_string(ScorePercent(TopicScore(t))) +
               "%</td></tr>\n";
    }
    out += "</tbody></table></section>\n";
}

void AppendPictures(std::string& out, const ReportInput& input)
{
    out += "<section id=\"city\"><h2>City</h2>\n";
    if (input.pictures.empty())
        out += "<p class=\"note\">" + HtmlEscape(input.picturesMissing) + "</p>\n";
    for (const ReportPicture& p : input.pictures) {
        out += "<figure><img alt=\"" + HtmlEscape(p.caption) + "\" width=\"" +
               std::to_string(p.width) + "\" height=\"" + std::to_string(p.height) +
               "\" src=\"data:image/jpeg;base64,";
        out += Base64(p.jpeg);
        out += "\"><figcaption>" + HtmlEscape(p.caption) + "</figcaption></figure>\n";
    }
    out += "</section>\n";
}

void AppendTableSection(std::string& out, const char* id, const char* title, bool filter)
{
    out += "<section id=\"" + std::string(id) + "\"><h2>" + title + "</h2><div class=\"tools\">";
    if (filter)
        out += "<input type=\"search\" id=\"" + std::string(id) +
               "-filter\" placeholder=\"filter by name\" aria-label=\"filter " + title + "\">";
    out += "<span class=\"count\" id=\"" + std::string(id) + "-count\"></span></div><table id=\"" +
           id + "-table\"></table><button type=\"button\" class=\"more\" id=\"" + id +
           "-more\" hidden>show more</button></section>\n";
}

void AppendComparisonHead(std::string& out, const ReportComparison& c, const ProjectStats& stats)
{
    out += "<section id=\"changes-summary\"><h2>Changes</h2><p>Against " + HtmlEscape(c.oldSource) +
           ": overall score " + std::to_string(c.oldOverallPercent) + "% &rarr; " +
           std::to_string(ScorePercent(stats.measures.overallScore)) + "%; " +
           std::to_string(c.added) + " methods added, " + std::to_string(c.removed) + " removed, " +
           std::to_string(c.changed) + " changed, " + std::to_string(c.unchanged) +
           " unchanged.</p></section>\n";
}

// The tables' rows, as the page's script reads them.
void AppendData(std::string& out, const ReportInput& input)
{
    const ProjectStats& stats = *input.stats;
    out += "{\"files\":[";
    double sums[9] = {};
    for (size_t i = 0; i < stats.files.size(); ++i) {
        const FileStats& f = *stats.files[i];
        const int32_t v[9] = {f.MethodCount(), f.lines,      f.Eloc(),   f.commentLines,
                              f.asserts,       f.emptyLines, f.includes, int32_t(f.classes.size()),
                              f.maxMethodEloc};
        out += i ? ",[" : "[";
        AppendJsonString(out, f.name);
        for (int k = 0; k < 9; ++k) {
            out += ',';
            AppendJsonInt(out, v[k]);
            if (k < 8) sums[k] += v[k];
        }
        for (const float x : {f.ElocPerMethod(), f.CommentPercent(), f.AssertPercent()}) {
            out += ',';
            AppendJsonFloat(out, x);
        }
        out += ']';
    }
    // The TOTAL row as the details list prints it.
    const ProjectMeasures& m = stats.measures;
    out += "],\"filesTotal\":[\"TOTAL\"";
    for (int k = 0; k < 8; ++k) {
        out += ',';
        AppendJsonString(out, Format("%.0f", sums[k]));
    }
    for (const std::string& text :
         {std::to_string(m.maxMethodEloc), Format("%.1f", m.elocPerMethod),
          Format("%.0f", m.commentRatio * 100.0), Format("%.2f", m.assertRatio * 100.0)}) {
        out += ',';
        AppendJsonString(out, text);
    }
    out += "],\"methods\":[";
    bool first = true;
    for (size_t i = 0; i < stats.files.size(); ++i)
        for (const auto& method : stats.files[i]->methods) {
            out += first ? "[" : ",[";
            first = false;
            AppendJsonInt(out, int64_t(i));
            out += ',';
            AppendJsonString(out, method->className);
            out += ',';
            AppendJsonString(out, method->methodName);
            for (const int32_t x : {method->paramCount, method->eloc, method->commentLines,
                                    method->asserts, method->emptyLines}) {
                out += ',';
                AppendJsonInt(out, x);
            }
            out += ',';
            AppendJsonFloat(out, method->GreenPercent());
            out += ',';
            AppendJsonFloat(out, method->SpacingPercent());
            out += ']';
        }
    out += ']';
    if (!input.workspaceTitle.empty()) {
        out += ",\"developers\":[";
        for (size_t i = 0; i < input.developers.size(); ++i) {
            const DeveloperRecord& d = input.developers[i];
            out += i ? ",[" : "[";
            AppendJsonString(out, d.name);
            out += ',';
            AppendJsonInt(out, d.projects);
            out += ',';
            AppendJsonInt(out, d.eloc);
            for (const float x :
                 {d.elocPerMethod, d.comments * 100, d.asserts * 100, d.overall * 100}) {
                out += ',';
                AppendJsonFloat(out, x);
            }
            out += ']';
        }
        out += ']';
    }
    if (input.comparison) {
        out += ",\"changes\":[";
        const auto& changes = input.comparison->changes;
        for (size_t i = 0; i < changes.size(); ++i) {
            const ReportChange& c = changes[i];
            out += i ? ",[" : "[";
            for (const std::string* s : {&c.kind, &c.file, &c.className, &c.method}) {
                AppendJsonString(out, *s);
                out += ',';
            }
            AppendJsonInt(out, c.oldEloc);
            out += ',';
            AppendJsonInt(out, c.newEloc);
            out += ']';
        }
        out += ']';
    }
    out += '}';
}

}  // namespace

std::string HtmlEscape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Base64(const std::string& bytes)
{
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 |
                           uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
        for (int shift : {18, 12, 6, 0}) out += kDigits[(v >> shift) & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const uint32_t v =
            uint32_t(uint8_t(bytes[i])) << 16 | (two ? uint32_t(uint8_t(bytes[i + 1])) << 8 : 0);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += two ? kDigits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string HtmlReport(const ReportInput& input)
{
    const ProjectStats& stats = *input.stats;
    std::string title = stats.name;
    for (char& c : title) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!input.developer.empty()) title += " by " + input.developer;
    std::string out;
    out +=
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<link rel=\"icon\" href=\"data:,\"><title>";
    out += HtmlEscape(stats.name) + " &mdash; codeburg report</title><style>";
    out += kReportStyle;
    out += "</style></head><body>\n<header><h1>" + HtmlEscape(title) + "</h1><p>" +
           std::to_string(stats.files.size()) + " files, " +
           std::to_string(stats.measures.totalEloc) + " eloc, " +
           std::to_string(stats.measures.totalMethods) + " methods";
    if (!input.buildDate.empty()) out += " &middot; built " + HtmlEscape(input.buildDate);
    if (!input.workspaceTitle.empty())
        out += " &middot; workspace " + HtmlEscape(input.workspaceTitle) + " (" +
               std::to_string(input.workspaceProjects) + " projects)";
    out +=
        "</p></header>\n<nav><a href=\"#score\">Score</a><a href=\"#topics\">Topics</a>"
        "<a href=\"#city\">City</a><a href=\"#files\">Files</a><a href=\"#methods\">Methods</a>";
    if (!input.workspaceTitle.empty()) out += "<a href=\"#developers\">Developers</a>";
    if (input.comparison) out += "<a href=\"#changes-summary\">Changes</a>";
    out += "</nav>\n<main>\n";
    AppendScoreSheet(out, stats);
    AppendTopics(out, stats);
    if (input.comparison) {
        AppendComparisonHead(out, *input.comparison, stats);
        AppendTableSection(out, "changes", "Changed methods", true);
    }
    AppendPictures(out, input);
    AppendTableSection(out, "files", "Files", true);
    AppendTableSection(out, "methods", "Methods", true);
    if (!input.workspaceTitle.empty()) AppendTableSection(out, "developers", "Developers", false);
    out += "</main>\n<script id=\"report-data\" type=\"application/json\">";
    AppendData(out, input);
    out += "</script>\n<script>";
    out += kReportScript;
    out += "</script>\n</body></html>\n";
    return out;
}

int WriteHtmlReport(const std::string& path, const ReportInput& input, std::string* error)
{
    const std::string page = HtmlReport(input);
    return WriteFileAtomically(path, page, error);
}

}  // namespace codeburg
