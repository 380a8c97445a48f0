#pragma once

#include <QPalette>
#include <QRect>
#include <QWidget>

#include "gui/document.h"

class QPainter;

namespace codeburg {

class CCodeburgDoc;
class ViewFrame;
class Project;
struct ScoringTopic;

// The score sheet of the current project: a header band, one gauge per
// scoring topic and the overall gauge. The same drawing prints page 1.
class CStatsView : public QWidget, public View {
    Q_OBJECT
public:
    // Row height in percent of the sheet's height: 6 on screen, one less
    // while the sheet is printed.
    static int rowHeightPercent;

    CStatsView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent = nullptr);

    void onUpdate(View* sender, UpdateHint hint, void* object) override;
    void onInitialUpdate() override { update(); }
    void onReset() override { update(); }
    int lastHint() const { return m_lastHint; }

    // Draws the sheet into "area" (the client rectangle on screen; 700 x 400
    // units of 1/90 inch when printing).
    void drawSheet(QPainter& painter, const QRect& area, bool printing) const;
    void print(QPainter& painter) const;

    // The strip with the project's or the workspace's title, shared by the
    // list panes. False when there was nothing to name.
    static bool DrawHeaderBand(QPainter& painter, const QRect& rect, bool workspaceMode,
                               bool printing, const CCodeburgDoc* doc, const Project* project,
                               const ViewFrame* frame);
    // One gauge; "topic" null draws the overall row with "overallPercent".
    static void DrawTopicRow(QPainter& painter, const QRect& row, const ScoringTopic* topic,
                             int overallPercent, bool printing, const ViewFrame* frame);
    // Rows are never lower than 30 units, however short the sheet.
    static int RowHeight(int areaHeight);
    // "NAME by DEVELOPER (N files, M eloc)", the title of the header band.
    static QString ProjectTitle(const Project& project);

    // A grey of the sheet as drawn: as given on paper and on a light
    // palette, of inverted lightness on a dark one, so it reads there too.
    static QColor SheetColour(const QColor& colour, bool printing, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CCodeburgDoc* m_doc;
    ViewFrame* m_frame;
    int m_lastHint = -1;
};

}  // namespace codeburg
