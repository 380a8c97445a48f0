#include "views/print_job.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "gui/interaction.h"
#include "views/detail_view.h"
#include "views/stats_view.h"

namespace codeburg {

int PrintPanes(QPrinter& printer, const CStatsView* stats, CDetailView* details)
{
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int dpiX = std::max(1, printer.logicalDpiX());
    const int dpiY = std::max(1, printer.logicalDpiY());
    const int width = page.width() * 90 / dpiX;
    const int height = page.height() * 90 / dpiY;
    painter.setViewport(0, 0, page.width(), page.height());
    painter.setWindow(0, 0, width, height);

    int pages = 1;
    if (stats) stats->print(painter);
    bool more = details && details->print(painter, true, height);
    while (more) {
        if (!printer.newPage()) break;
        ++pages;
        more = details->print(painter, false, height);
    }
    painter.end();
    return pages;
}

void PrintWithDialog(QWidget* owner, const CStatsView* stats, CDetailView* details)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, owner);
    dialog.setObjectName(QStringLiteral("printDialog"));
    if (Ui().execDialog(&dialog) != QDialog::Accepted) return;
    PrintPanes(printer, stats, details);
}

void PrintPreview(QWidget* owner, const CStatsView* stats, CDetailView* details)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setObjectName(QStringLiteral("printPreview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { PrintPanes(*target, stats, details); });
    Ui().execDialog(&dialog);
}

}  // namespace codeburg
