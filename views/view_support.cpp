#include "views/view_support.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>
#include <QUrl>

#include "analysis/build_pipeline.h"
#include "app/interaction.h"
#include "app/main_frame.h"
#include "views/prj_view.h"
#include "workspace/project.h"

namespace codeburg {

Project* CurrentProject(const CMainFrame* frame)
{
    return frame && frame->treeView() ? frame->treeView()->currentProject() : nullptr;
}

namespace {

QFont Fallback(const char* family, int pixels)
{
    QFont font{QString::fromLatin1(family)};
    font.setPixelSize(pixels);
    return font;
}

std::function<bool(const QString&)>& SourceOpener()
{
    static std::function<bool(const QString&)> opener;
    return opener;
}

}  // namespace

QFont LargeFont(const CMainFrame* frame)
{
    return frame ? frame->largeFont() : Fallback("Arial", 21);
}

QFont TextFont(const CMainFrame* frame)
{
    return frame ? frame->textFont() : Fallback("Arial", 12);
}

QFont SmallFont(const CMainFrame* frame)
{
    return frame ? frame->smallFont() : Fallback("Small Fonts", 12);
}

bool EditSourceFile(QWidget* owner, const Project& project, const std::string& fileName)
{
    const auto path = FindSourceFile(project.directory, fileName);
    if (!path) {
        Message(owner, QStringLiteral("%1 does not exist anymore. Please rebuild the project.")
                           .arg(QString::fromStdString(fileName)));
        return false;
    }
    const QString file = QString::fromStdString(*path);
    // Found but gone in between (or unreadable): nothing to open.
    if (!QFileInfo::exists(file)) return false;
    if (SourceOpener()) return SourceOpener()(file);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void SetSourceOpener(std::function<bool(const QString& path)> opener)
{
    SourceOpener() = std::move(opener);
}

void SetUpReportList(QTreeWidget* list, const QStringList& headers, const QList<int>& widths)
{
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->setSortingEnabled(false);
    list->setColumnCount(headers.size());
    list->setHeaderLabels(headers);
    QHeaderView* header = list->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(true);
    header->setStretchLastSection(false);
    for (int i = 0; i < widths.size(); ++i) list->setColumnWidth(i, widths[i]);
    // All columns but the first hold numbers.
    for (int i = 1; i < headers.size(); ++i)
        list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace codeburg
