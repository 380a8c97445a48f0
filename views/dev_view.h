#pragma once

#include <QWidget>
#include <vector>

#include "gui/document.h"
#include "views/list_sort.h"
#include "workspace/developer_records.h"

class QTreeWidget;

namespace codeburg {

class CCodeburgDoc;
class ViewFrame;
class Project;

// Every project of the workspace grouped by lead developer. The one list
// that looks at the whole workspace, so a change of the current project
// leaves it alone.
class CDevView : public QWidget, public View {
    Q_OBJECT
public:
    static constexpr int kColumns = 7;

    CDevView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent = nullptr);
    ~CDevView() override;

    void onUpdate(View* sender, UpdateHint hint, void* object) override;
    void onReset() override;
    int lastHint() const { return m_lastHint; }

    void refresh();
    void onHeaderClicked(int column);
    QTreeWidget* list() const { return m_list; }
    const SortState& sortState() const { return m_sort; }
    const std::vector<DeveloperRecord>& records() const { return m_records; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void resort();
    std::vector<Project*> workspaceProjects() const;

    CCodeburgDoc* m_doc;
    ViewFrame* m_frame;
    QTreeWidget* m_list;
    std::vector<DeveloperRecord> m_records;
    SortState m_sort;
    int m_lastHint = -1;
};

}  // namespace codeburg
