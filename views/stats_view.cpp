#include "views/stats_view.h"

#include <QDateTime>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

#include "gui/codeburg_doc.h"
#include "scoring/scoring_topic.h"
#include "views/view_support.h"
#include "workspace/folder.h"
#include "workspace/project.h"

namespace codeburg {

int CStatsView::rowHeightPercent = 6;

namespace {

// The colour with its HSV value scaled (capped at 1).
QColor ScaledValue(const QColor& colour, double factor)
{
    float h, s, v;
    colour.getHsvF(&h, &s, &v);
    return QColor::fromHsvF(h, s, std::min(1.0, v * factor));
}

// Light top and left, dark bottom and right, one pixel wide.
void Draw3dRect(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
    painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
    painter.setPen(bottomRight);
    painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

}  // namespace

CStatsView::CStatsView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_frame(frame)
{
    setObjectName(QStringLiteral("CStatsView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CStatsView::onUpdate(View*, UpdateHint hint, void*)
{
    m_lastHint = static_cast<int>(hint);
    update();
}

int CStatsView::RowHeight(int areaHeight)
{
    return std::max(30, areaHeight * rowHeightPercent / 100);
}

QString CStatsView::ProjectTitle(const Project& project)
{
    QString text = QString::fromStdString(project.name).toUpper();
    if (!project.developer.empty()) text += " by " + QString::fromStdString(project.developer);
    const int files = project.stats ? static_cast<int>(project.stats->files.size()) : 0;
    const int eloc = project.stats ? project.stats->measures.totalEloc : 0;
    return text + QStringLiteral(" (%1 files, %2 eloc)").arg(files).arg(eloc);
}

QColor CStatsView::SheetColour(const QColor& colour, bool printing, const QPalette& palette)
{
    if (printing || palette.color(QPalette::Button).lightness() >= 128) return colour;
    return QColor::fromHsl(colour.hslHue(), colour.hslSaturation(), 255 - colour.lightness());
}

bool CStatsView::DrawHeaderBand(QPainter& painter, const QRect& rect, bool workspaceMode,
                                bool printing, const CCodeburgDoc* doc, const Project* project,
                                const ViewFrame* frame)
{
    const QPalette palette;
    if (!printing) {
        painter.fillRect(rect, palette.color(QPalette::Button));
        Draw3dRect(painter, rect, palette.color(QPalette::Dark), palette.color(QPalette::Light));
    } else {
        painter.setFont(TextFont(frame));
        painter.setPen(QColor(40, 40, 40));
        const QString now =
            QDateTime::currentDateTime().toString(QStringLiteral("MM/dd/yy 'at' HH:mm:ss"));
        painter.drawText(rect.translated(0, 35), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         now);
    }
    QString text;
    if (workspaceMode) {
        if (!doc) return false;
        auto* root = &const_cast<CCodeburgDoc*>(doc)->root();
        text = doc->titleWithoutStar() +
               QStringLiteral(" (%1 projects)").arg(root->CountProjects(true));
    } else {
        if (!project) return false;
        text = ProjectTitle(*project);
    }
    QRect textRect = rect;
    if (!printing) {
        textRect.setLeft(8);
        textRect.setTop(8);
    }
    painter.setFont(LargeFont(frame));
    painter.setPen(SheetColour(Qt::black, printing, palette));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    return true;
}

void CStatsView::DrawTopicRow(QPainter& painter, const QRect& row, const ScoringTopic* topic,
                              int overallPercent, bool printing, const ViewFrame* frame)
{
    const int inset = row.height() * 15 / 100;
    const QRect text = row.adjusted(16, inset, -16, -inset);
    const int vcenter = Qt::AlignVCenter | Qt::TextSingleLine;
    // On paper the greys are those given; on screen they follow the palette.
    const QPalette palette;
    auto grey = [&](const QColor& c) { return SheetColour(c, printing, palette); };

    painter.setFont(LargeFont(frame));
    painter.setPen(topic ? grey(QColor(40, 40, 40)) : grey(QColor(Qt::black)));
    const QString label = topic ? QString::fromStdString(topic->name.substr(0, 127)) + " :"
                                : QStringLiteral("OVERALL :");
    const int x0 = text.left() + 175;
    // A long name is set smaller to end before the bar, and only cut short
    // when even that is not enough.
    const int room = 175 - 6;
    const int needed = painter.fontMetrics().horizontalAdvance(label);
    if (needed > room) {
        QFont smaller = painter.font();
        const int size = smaller.pixelSize() > 0 ? smaller.pixelSize() : smaller.pointSize();
        const int fitting = std::max(size * 2 / 3, size * room / needed);
        if (smaller.pixelSize() > 0)
            smaller.setPixelSize(fitting);
        else
            smaller.setPointSize(fitting);
        painter.setFont(smaller);
    }
    painter.drawText(text, Qt::AlignLeft | vcenter,
                     painter.fontMetrics().elidedText(label, Qt::ElideRight, room));
    painter.setFont(LargeFont(frame));

    const int width = row.width() * 32 / 100;
    const int x1 = x0 + width;
    const QRect bar(QPoint(x0, text.top()), QPoint(x1, text.bottom()));

    const float score = topic ? TopicScore(*topic) : overallPercent * 0.01f;
    const int filled = static_cast<int>(score * width);
    const QColor base(static_cast<int>((1.0f - score) * 255), static_cast<int>(score * 255), 0);
    if (filled > 0) {
        const QRect part(x0, bar.top(), filled, bar.height());
        QLinearGradient gradient(part.topLeft(), part.topRight());
        gradient.setColorAt(0, base);
        gradient.setColorAt(1, ScaledValue(base, 0.65));
        painter.fillRect(part, gradient);
        Draw3dRect(painter, part, ScaledValue(base, 1.1), ScaledValue(base, 0.75));
    }
    Draw3dRect(painter, bar.adjusted(-1, -1, 1, 1), grey(QColor(30, 30, 30)),
               grey(QColor(230, 230, 230)));

    const int percent = overallPercent >= 0 && !topic ? overallPercent : ScorePercent(score);
    painter.setPen(grey(QColor(90, 90, 90)));
    painter.drawText(QRect(x0 + filled + 4, text.top(), 200, text.height()),
                     Qt::AlignLeft | vcenter, QStringLiteral("%1%").arg(percent));
    if (!topic) return;
    const QString value = QStringLiteral("%1 %2")
                              .arg(topic->shownValue, 0, 'f', std::clamp(topic->decimals, 0, 9))
                              .arg(QString::fromStdString(topic->unit));
    const int valueWidth = painter.fontMetrics().horizontalAdvance(value);
    painter.setPen(grey(QColor(30, 30, 30)));
    painter.drawText(QRect(x1 + 90, text.top(), std::max(85, valueWidth), text.height()),
                     Qt::AlignLeft | vcenter, value);
    // A long value pushes the weight to its right instead of running into it.
    const int weightX = std::max(x1 + 175, x1 + 90 + valueWidth + 12);
    painter.setPen(grey(QColor(60, 60, 60)));
    painter.drawText(QRect(weightX, text.top(), 120, text.height()), Qt::AlignLeft | vcenter,
                     QString::number(topic->weight, 'f', 2));
}

void CStatsView::drawSheet(QPainter& painter, const QRect& area, bool printing) const
{
    const Project* project = CurrentProject(m_frame);
    DrawHeaderBand(painter, area, false, printing, m_doc, project, m_frame);
    if (!project || !project->stats) return;
    const int height = RowHeight(area.height());
    QRect row(area.left(), area.top() + 80, area.width(), height);
    for (const ScoringTopic& topic : project->stats->topics) {
        DrawTopicRow(painter, row, &topic, -1, printing, m_frame);
        row.translate(0, height + 6);
    }
    row.translate(0, 20);
    DrawTopicRow(painter, row, nullptr, ScorePercent(project->stats->measures.overallScore),
                 printing, m_frame);
}

void CStatsView::print(QPainter& painter) const
{
    --rowHeightPercent;
    drawSheet(painter, QRect(0, 0, 700, 400), true);
    ++rowHeightPercent;
}

void CStatsView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawSheet(painter, rect(), false);
}

}  // namespace codeburg
