#include "views/methods_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "gui/interaction.h"
#include "gui/profile.h"
#include "views/view_support.h"
#include "workspace/project.h"

namespace codeburg {
namespace {

constexpr int kMethodRole = Qt::UserRole;

MethodStats* RowMethod(const QTreeWidgetItem* item)
{
    return reinterpret_cast<MethodStats*>(item->data(0, kMethodRole).value<quintptr>());
}

QStringList MethodTexts(const MethodStats& m)
{
    return {QString::fromStdString(m.className),
            QString::fromStdString(m.methodName),
            QString::number(m.paramCount),
            QString::number(m.eloc),
            QString::number(m.commentLines),
            QString::number(m.asserts),
            QString::number(m.emptyLines),
            QString::number(m.GreenPercent(), 'f', 1),
            QString::number(m.SpacingPercent(), 'f', 1)};
}

}  // namespace

CMethodsDialog::CMethodsDialog(const Project* project, const FileStats* file, QWidget* parent)
    : QDialog(parent),
      m_project(project),
      m_file(file),
      m_list(new QTreeWidget(this)),
      m_sort(kColumns, ProfileInt(QStringLiteral("METHODDETAIL"), QStringLiteral("SORTIDX"), 0))
{
    setObjectName(QStringLiteral("CMethodsDialog"));
    setWindowTitle(QStringLiteral("Methods for %1").arg(QString::fromStdString(file->name)));
    m_list->setObjectName(QStringLiteral("methodList"));
    SetUpReportList(
        m_list,
        {"Class", "Method", "Param", "Eloc", "Comment", "Assert", "Empty", "Green %", "Spacing %"},
        {95, 100, 45, 42, 58, 45, 44, 62, 62});
    m_list->header()->setSectionsMovable(false);
    // Stored order, unsorted until the user asks.
    for (const auto& method : file->methods) {
        auto* item = new QTreeWidgetItem(m_list, MethodTexts(*method));
        item->setData(0, kMethodRole,
                      QVariant::fromValue(reinterpret_cast<quintptr>(method.get())));
        for (int c = 2; c < kColumns; ++c) item->setTextAlignment(c, Qt::AlignRight);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* edit =
        buttons->addButton(QStringLiteral("&Edit source code"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(600, 320);

    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CMethodsDialog::onHeaderClicked);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CMethodsDialog::editSourceCode);
    connect(edit, &QPushButton::clicked, this, &CMethodsDialog::editSourceCode);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int CMethodsDialog::run()
{
    return Ui().execDialog(this);
}

void CMethodsDialog::onHeaderClicked(int column)
{
    m_sort.Click(column);
    std::map<const MethodStats*, QTreeWidgetItem*> items;
    std::vector<MethodStats*> rows;
    while (m_list->topLevelItemCount() > 0) {
        QTreeWidgetItem* item = m_list->takeTopLevelItem(0);
        items[RowMethod(item)] = item;
        rows.push_back(RowMethod(item));
    }
    SortRows(rows, m_sort, CompareMethods);
    for (MethodStats* row : rows) m_list->addTopLevelItem(items[row]);
    ShowSortIndicator(m_list, m_sort.column(), m_sort.descending());
}

void CMethodsDialog::editSourceCode()
{
    if (!m_project) return;
    const QTreeWidgetItem* item = m_list->currentItem();
    const MethodStats* method = item ? RowMethod(item) : nullptr;
    EditSourceFile(this, *m_project, m_file->name, m_file->path, method ? method->line : 0);
}

}  // namespace codeburg
