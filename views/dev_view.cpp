#include "views/dev_view.h"

#include <QHeaderView>
#include <QPainter>
#include <QTreeWidget>
#include <map>

#include "gui/codeburg_doc.h"
#include "gui/profile.h"
#include "views/stats_view.h"
#include "views/view_support.h"
#include "workspace/folder.h"

namespace codeburg {
namespace {

constexpr int kRecordRole = Qt::UserRole;

DeveloperRecord* RowRecord(const QTreeWidgetItem* item)
{
    return reinterpret_cast<DeveloperRecord*>(item->data(0, kRecordRole).value<quintptr>());
}

QStringList RecordTexts(const DeveloperRecord& r)
{
    return {QString::fromStdString(r.name),
            QString::number(r.projects),
            QString::number(r.eloc),
            QString::number(r.elocPerMethod, 'f', 1),
            QString::number(r.comments * 100.0, 'f', 0),
            QString::number(r.asserts * 100.0, 'f', 1),
            QString::number(r.overall * 100.0, 'f', 0)};
}

}  // namespace

CDevView::CDevView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_frame(frame),
      m_list(new QTreeWidget(this)),
      m_sort(kColumns, ProfileInt(QStringLiteral("DEVVIEW"), QStringLiteral("SORTIDX"), 0))
{
    setObjectName(QStringLiteral("CDevView"));
    m_list->setObjectName(QStringLiteral("developerList"));
    SetUpReportList(
        m_list,
        {"Developer name", "Projects", "Eloc", "eloc/method", "% comments", "% asserts", "Overall"},
        {140, 58, 62, 79, 75, 65, 65});
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CDevView::onHeaderClicked);
}

CDevView::~CDevView()
{
    WriteProfileInt(QStringLiteral("DEVVIEW"), QStringLiteral("SORTIDX"), m_sort.column());
}

void CDevView::onUpdate(View*, UpdateHint hint, void*)
{
    m_lastHint = static_cast<int>(hint);
    // Hint 4 names another current project and leaves the list alone. The
    // tree also sends it after adding a project, which must show here: so
    // the list is refilled then only when the grouping came out different.
    if (hint != UpdateHint::CurrentProjectChanged ||
        !SameRecords(CollectDevelopers(workspaceProjects()), m_records))
        refresh();
}

std::vector<Project*> CDevView::workspaceProjects() const
{
    std::vector<Project*> projects;
    if (m_doc) m_doc->root().CollectProjects(projects);
    return projects;
}

void CDevView::onReset()
{
    m_list->clear();
    m_records.clear();
}

void CDevView::refresh()
{
    m_list->clear();
    m_records = CollectDevelopers(workspaceProjects());
    for (DeveloperRecord& record : m_records) {
        auto* item = new QTreeWidgetItem(m_list, RecordTexts(record));
        item->setData(0, kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(&record)));
        for (int c = 1; c < kColumns; ++c) item->setTextAlignment(c, Qt::AlignRight);
    }
    resort();
    update();
}

void CDevView::onHeaderClicked(int column)
{
    m_sort.Click(column);
    resort();
}

void CDevView::resort()
{
    std::map<const DeveloperRecord*, QTreeWidgetItem*> items;
    std::vector<DeveloperRecord*> rows;
    while (m_list->topLevelItemCount() > 0) {
        QTreeWidgetItem* item = m_list->takeTopLevelItem(0);
        items[RowRecord(item)] = item;
        rows.push_back(RowRecord(item));
    }
    SortRows(rows, m_sort, CompareDevelopers);
    for (DeveloperRecord* row : rows) m_list->addTopLevelItem(items[row]);
    ShowSortIndicator(m_list, m_sort.column(), m_sort.descending());
}

void CDevView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CStatsView::DrawHeaderBand(painter, rect(), true, false, m_doc, nullptr, m_frame);
}

void CDevView::resizeEvent(QResizeEvent*)
{
    const QRect inset = rect().adjusted(8, 8, -8, -8);
    m_list->setGeometry(inset.left(), inset.top() + 30, inset.width(),
                        std::max(0, inset.height() - 30));
}

}  // namespace codeburg
