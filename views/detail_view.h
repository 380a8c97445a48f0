#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "gui/document.h"
#include "views/list_sort.h"

class QPainter;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace codeburg {

class CCodeburgDoc;
class ViewFrame;
class FileStats;
class Project;

// The files of the current project with their counts and a "TOTAL" row,
// sortable by any column; opens a file in the editor or lists its methods.
class CDetailView : public QWidget, public View {
    Q_OBJECT
public:
    static constexpr int kColumns = 13;

    CDetailView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent = nullptr);
    ~CDetailView() override;

    void onUpdate(View* sender, UpdateHint hint, void* object) override;
    void onReset() override;
    int lastHint() const { return m_lastHint; }

    QTreeWidget* list() const { return m_list; }
    QPushButton* methodsButton() const { return m_methods; }
    QPushButton* editButton() const { return m_edit; }
    const SortState& sortState() const { return m_sort; }
    FileStats* selectedFile() const { return m_selected; }

    // What a click on a column header does.
    void onHeaderClicked(int column);
    void openMethods();
    void editSourceCode();

    // Prints the files table on one page: page 1 below the score sheet,
    // later pages from the top. True when rows are left for another page.
    bool print(QPainter& painter, bool firstPage, int pageBottom);

    // The cell texts of a file row and of the "TOTAL" row.
    static QStringList FileTexts(const FileStats& file);
    static QStringList FileTexts(const FileStats& file, const std::array<double, kColumns>& values);
    QStringList totalTexts() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refill(Project* project);
    void resort();
    void insertSorted(const QList<QTreeWidgetItem*>& items);
    void onCurrentItemChanged(QTreeWidgetItem* item);

    CCodeburgDoc* m_doc;
    ViewFrame* m_frame;
    QTreeWidget* m_list;
    QPushButton* m_edit;
    QPushButton* m_methods;
    Project* m_shown = nullptr;
    std::string m_shownBuild;
    FileStats* m_selected = nullptr;
    std::string m_selectedName;
    SortState m_sort;
    std::array<double, kColumns> m_totals{};
    int m_printRow = 0;
    int m_lastHint = -1;
};

}  // namespace codeburg
