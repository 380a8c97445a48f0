#pragma once

#include <QDialog>

#include "views/list_sort.h"

class QTreeWidget;

namespace codeburg {

class FileStats;
class Project;

// The methods of one file with their own counts. Sorts by header clicks,
// starting from the stored sort column, which it never writes back.
class CMethodsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kColumns = 9;

    // Neither is owned; both must outlive the dialog.
    CMethodsDialog(const Project* project, const FileStats* file, QWidget* parent = nullptr);

    int run();  // through the program's interaction, so tests can answer
    QTreeWidget* list() const { return m_list; }
    const SortState& sortState() const { return m_sort; }
    void onHeaderClicked(int column);
    void editSourceCode();

private:
    const Project* m_project;
    const FileStats* m_file;
    QTreeWidget* m_list;
    SortState m_sort;
};

}  // namespace codeburg
