#pragma once

#include <QFont>
#include <QString>
#include <QStyledItemDelegate>
#include <functional>
#include <string>

class QTreeWidget;
class QWidget;

namespace codeburg {

class ViewFrame;
class Project;

// What the panes on the right share: the current project the tree names,
// the frame's fonts (stand-ins of the same heights without a frame) and the
// opening of a source file in the user's editor.
Project* CurrentProject(const ViewFrame* frame);
QFont LargeFont(const ViewFrame* frame);
QFont TextFont(const ViewFrame* frame);
QFont SmallFont(const ViewFrame* frame);

// Looks the file up under the project's directory (at "relativePath" when
// the build recorded it, else by name); warns when it is gone, otherwise
// opens it at "line" in the user's editor when that takes a line, else hands
// it to the desktop. Returns whether it was handed over.
bool EditSourceFile(QWidget* owner, const Project& project, const std::string& fileName,
                    const std::string& relativePath = {}, int line = 0);
// Replaces the desktop hand-over (tests record the paths instead); an empty
// function restores it.
void SetSourceOpener(std::function<bool(const QString& path)> opener);

// A report list: full-row selection, one selected row, headers that can be
// clicked and dragged, no sorting of its own. A column is never narrower
// than its header with the sort arrow; names cut short by their column show
// in full as a tooltip.
void SetUpReportList(QTreeWidget* list, const QStringList& headers, const QList<int>& widths);
// Puts the arrow of the list's sort column and direction on its header.
void ShowSortIndicator(QTreeWidget* list, int column, bool descending);

// Shows the whole text of a cell as its tooltip when the column cuts it short.
class ElidedTextTips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

}  // namespace codeburg
