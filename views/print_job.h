#pragma once

class QPrinter;
class QWidget;

namespace codeburg {

class CDetailView;
class CStatsView;

// Prints the window the way the tree view's print does: in units of 1/90
// inch, page 1 the score sheet, then the files table over as many pages as
// it needs. Returns the number of pages started.
int PrintPanes(QPrinter& printer, const CStatsView* stats, CDetailView* details);

// The File menu's two commands: the printer dialog, then the pages; or the
// preview window showing the same pages.
void PrintWithDialog(QWidget* owner, const CStatsView* stats, CDetailView* details);
void PrintPreview(QWidget* owner, const CStatsView* stats, CDetailView* details);

}  // namespace codeburg
