#include "views/view_support.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>

#include "gui/interaction.h"
#include "pipeline/build_pipeline.h"
#include "platform/path_util.h"
#include "views/desktop_opener.h"
#include "views/prj_view.h"
#include "views/view_frame.h"
#include "workspace/project.h"

namespace codeburg {

Project* CurrentProject(const ViewFrame* frame)
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

QFont LargeFont(const ViewFrame* frame)
{
    return frame ? frame->largeFont() : Fallback("Arial", 21);
}

QFont TextFont(const ViewFrame* frame)
{
    return frame ? frame->textFont() : Fallback("Arial", 12);
}

QFont SmallFont(const ViewFrame* frame)
{
    return frame ? frame->smallFont() : Fallback("Small Fonts", 12);
}

bool EditSourceFile(QWidget* owner, const Project& project, const std::string& fileName,
                    const std::string& relativePath, int line)
{
    // The recorded path tells apart files of the same name in other folders.
    std::optional<std::string> path;
    if (!relativePath.empty()) {
        const std::string recorded = PathJoin(project.directory, relativePath);
        if (QFileInfo(QString::fromStdString(recorded)).isFile()) path = recorded;
    }
    if (!path) path = FindSourceFile(project.directory, fileName);
    if (!path) {
        Message(owner, QStringLiteral("%1 does not exist anymore. Please rebuild the project.")
                           .arg(QString::fromStdString(fileName)));
        return false;
    }
    const QString file = QString::fromStdString(*path);
    // Found but gone in between (or unreadable): nothing to open.
    if (!QFileInfo::exists(file)) return false;
    if (SourceOpener()) return SourceOpener()(file);
    if (OpenInEditorAtLine(file, line)) return true;
    OpenWithDesktop(owner, file);
    return true;
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
    // All columns but the first hold numbers.
    for (int i = 1; i < headers.size(); ++i)
        list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
    // The room for the arrow is taken whether or not the column is sorted,
    // so that sorting never cuts a header.
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    for (int i = 0; i < widths.size(); ++i)
        list->setColumnWidth(i, std::max(widths[i], header->sectionSizeHint(i)));
    if (!dynamic_cast<ElidedTextTips*>(list->itemDelegate()))
        list->setItemDelegate(new ElidedTextTips(list));
}

void ShowSortIndicator(QTreeWidget* list, int column, bool descending)
{
    list->header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool ElidedTextTips::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                               const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() == QEvent::ToolTip && index.isValid() &&
        !index.data(Qt::ToolTipRole).isValid()) {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget ? item.widget : view;
        const int room =
            widget->style()->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).width();
        // The style keeps a margin inside the text rectangle; a text that
        // nearly fills it is drawn cut.
        if (item.fontMetrics.horizontalAdvance(item.text) > room - 4) {
            QToolTip::showText(event->globalPos(), item.text, view);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

}  // namespace codeburg
