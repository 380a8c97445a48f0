#include "views/detail_view.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <map>

#include "gui/profile.h"
#include "views/methods_dialog.h"
#include "views/project_dialog.h"
#include "views/stats_view.h"
#include "views/view_support.h"
#include "workspace/project.h"

namespace codeburg {
namespace {

constexpr int kFileRole = Qt::UserRole;

// Numbers stand right-aligned in every column but the first. Set once for
// the list rather than per cell: thousands of rows times twelve cells made a
// good part of the time the list took to fill after a build.
class NumberColumns : public ElidedTextTips {
public:
    using ElidedTextTips::ElidedTextTips;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        ElidedTextTips::initStyleOption(option, index);
        if (index.column() > 0) option->displayAlignment = Qt::AlignRight;
    }
};

FileStats* RowFile(const QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<FileStats*>(item->data(0, kFileRole).value<quintptr>())
                : nullptr;
}

static_assert(CDetailView::kColumns == kFileColumns);

// The per-file values behind columns 1 to 12, as the sort sees them.
std::array<double, CDetailView::kColumns> FileValues(const FileStats& file)
{
    std::array<double, CDetailView::kColumns> values{};
    for (int column = 0; column < CDetailView::kColumns; ++column)
        values[static_cast<size_t>(column)] = FileColumnValue(file, column);
    return values;
}

const QStringList kHeaders{"File", "Meth",  "Lines", "Eloc",      "Comment", "Assert", "Empty",
                           "#Inc", "Class", "Max",   "eloc/meth", "% com",   "% asrt"};
const QList<int> kWidths{140, 38, 42, 42, 58, 45, 44, 35, 38, 40, 60, 45, 45};

// The printed header: its own short titles and widths in 1/90 inch.
const QStringList kPrintHeaders{"File name", "Meth",  "Lines", "Eloc",      "Comm", "Asrt", "Empty",
                                "#incl",     "Class", "Max",   "Line/Meth", "%com", "%ass"};
const QList<int> kPrintWidths{160, 40, 40, 40, 40, 40, 40, 40, 40, 40, 70, 35, 40};
constexpr int kPrintRowHeight = 14;

}  // namespace

CDetailView::CDetailView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_frame(frame),
      m_list(new QTreeWidget(this)),
      m_edit(new QPushButton(QStringLiteral("&Edit source code"), this)),
      m_methods(new QPushButton(QStringLiteral("&Methods..."), this)),
      m_sort(kColumns, ProfileInt(QStringLiteral("DETAILVIEW"), QStringLiteral("SORTIDX"), 0))
{
    setObjectName(QStringLiteral("CDetailView"));
    m_list->setObjectName(QStringLiteral("fileList"));
    SetUpReportList(m_list, kHeaders, kWidths);
    m_list->setItemDelegate(new NumberColumns(m_list));
    m_edit->setEnabled(false);
    m_methods->setEnabled(false);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CDetailView::onHeaderClicked);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { onCurrentItemChanged(item); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CDetailView::openMethods);
    connect(m_methods, &QPushButton::clicked, this, &CDetailView::openMethods);
    connect(m_edit, &QPushButton::clicked, this, &CDetailView::editSourceCode);
}

CDetailView::~CDetailView()
{
    WriteProfileInt(QStringLiteral("DETAILVIEW"), QStringLiteral("SORTIDX"), m_sort.column());
}

void CDetailView::onUpdate(View*, UpdateHint hint, void*)
{
    m_lastHint = static_cast<int>(hint);
    Project* project = CurrentProject(m_frame);
    // Hint 1 may follow a build within the second of the last one: the
    // stamp is the same, the records are new.
    if (hint == UpdateHint::ProjectRebuilt || project != m_shown || !project ||
        project->lastBuild != m_shownBuild)
        refill(project);
    update();
}

void CDetailView::onReset()
{
    m_list->clear();
    m_shown = nullptr;
    m_shownBuild.clear();
    m_selected = nullptr;
}

QStringList CDetailView::FileTexts(const FileStats& file)
{
    return FileTexts(file, FileValues(file));
}

QStringList CDetailView::FileTexts(const FileStats& file, const std::array<double, kColumns>& v)
{
    QStringList texts{QString::fromStdString(file.name)};
    for (int c = 1; c <= 9; ++c) texts << QString::number(static_cast<qint64>(v[c]));
    texts << QString::number(v[10], 'f', 1) << QString::number(v[11], 'f', 0)
          << QString::number(v[12], 'f', 1);
    return texts;
}

QStringList CDetailView::totalTexts() const
{
    QStringList texts{QStringLiteral("TOTAL")};
    for (int c = 1; c <= 8; ++c) texts << QString::number(m_totals[c], 'f', 0);
    const ProjectMeasures measures =
        m_shown && m_shown->stats ? m_shown->stats->measures : ProjectMeasures{};
    texts << QString::number(measures.maxMethodEloc)
          << QString::number(static_cast<double>(measures.elocPerMethod), 'f', 1)
          << QString::number(measures.commentRatio * 100.0, 'f', 0)
          << QString::number(measures.assertRatio * 100.0, 'f', 2);
    return texts;
}

void CDetailView::refill(Project* project)
{
    m_selected = nullptr;
    // The list picks rows of its own while it fills; the name to keep must
    // survive that.
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    m_totals.fill(0.0);
    m_shown = project;
    m_shownBuild = project ? project->lastBuild : std::string();
    if (!project || !project->stats) return;

    // The rows go in at once: thousands of files inserted one by one, each a
    // change of the list's model, froze the window after a build.
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(project->stats->files.size()) + 1);
    QTreeWidgetItem* remembered = nullptr;
    for (const auto& file : project->stats->files) {
        const auto values = FileValues(*file);
        auto* item = new QTreeWidgetItem(FileTexts(*file, values));
        item->setData(0, kFileRole, QVariant::fromValue(reinterpret_cast<quintptr>(file.get())));
        for (int c = 1; c < kColumns; ++c) m_totals[c] += values[c];
        if (!m_selectedName.empty() && file->name == m_selectedName) remembered = item;
        rows.append(item);
    }
    auto* total = new QTreeWidgetItem(totalTexts());
    rows.append(total);
    // In sorted order at once: inserting them and sorting afterwards moved
    // every row twice.
    insertSorted(rows);
    if (!remembered) remembered = rows.front();
    m_list->setCurrentItem(remembered);
    remembered->setSelected(true);
    onCurrentItemChanged(remembered);
}

void CDetailView::onHeaderClicked(int column)
{
    m_sort.Click(column);
    resort();
}

void CDetailView::resort()
{
    QTreeWidgetItem* current = m_list->currentItem();
    const QSignalBlocker blocker(m_list);
    // All rows out and back in one go each, not row by row.
    insertSorted(m_list->invisibleRootItem()->takeChildren());
    if (current) {
        m_list->setCurrentItem(current);
        current->setSelected(true);
    }
}

void CDetailView::insertSorted(const QList<QTreeWidgetItem*>& items)
{
    std::map<const FileStats*, QTreeWidgetItem*> byFile;
    std::vector<FileStats*> rows;
    for (QTreeWidgetItem* item : items) {
        byFile[RowFile(item)] = item;  // one "TOTAL" row at most, keyed by null
        rows.push_back(RowFile(item));
    }
    SortRows(rows, m_sort, CompareFiles);
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(qsizetype(rows.size()));
    for (FileStats* row : rows) sorted.append(byFile[row]);
    m_list->addTopLevelItems(sorted);
    ShowSortIndicator(m_list, m_sort.column(), m_sort.descending());
}

void CDetailView::onCurrentItemChanged(QTreeWidgetItem* item)
{
    if (!item) return;
    m_edit->setEnabled(true);
    m_methods->setEnabled(true);
    m_selected = RowFile(item);
    if (m_selected) m_selectedName = m_selected->name;
}

void CDetailView::openMethods()
{
    if (!m_selected || !m_shown) return;
    CMethodsDialog dialog(m_shown, m_selected, this);
    dialog.run();
}

void CDetailView::editSourceCode()
{
    if (!m_selected || !m_shown || m_selected->name == "TOTAL") return;
    EditSourceFile(this, *m_shown, m_selected->name, m_selected->path);
}

bool CDetailView::print(QPainter& painter, bool firstPage, int pageBottom)
{
    const Project* project = CurrentProject(m_frame);
    if (!project || !project->stats) return false;
    int y = 0;
    if (firstPage) {
        m_printRow = 0;
        painter.setFont(LargeFont(m_frame));
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 400, 700, 32), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("DETAILS"));
        y = 432;
    }
    painter.setFont(SmallFont(m_frame));
    const QFontMetrics metrics = painter.fontMetrics();
    auto printLine = [&](const QStringList& texts, bool cut = true) {
        int x = 16;
        for (int c = 0; c < kColumns && c < texts.size(); ++c) {
            // A value is cut short within its column, a gap before the next
            // one; the headers are short enough and stay whole.
            const QString text =
                cut ? metrics.elidedText(texts[c], Qt::ElideRight, kPrintWidths[c] - 3) : texts[c];
            painter.drawText(QRect(x, y, kPrintWidths[c], kPrintRowHeight),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
            x += kPrintWidths[c];
        }
        y += kPrintRowHeight;
    };
    printLine(kPrintHeaders, false);
    const auto& files = project->stats->files;
    for (int i = m_printRow; i < static_cast<int>(files.size()); ++i) {
        if (y + kPrintRowHeight > pageBottom) {
            m_printRow = i;
            return true;
        }
        printLine(FileTexts(*files[i]));
    }
    printLine(totalTexts());
    m_printRow = 0;
    return false;
}

void CDetailView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const Project* project = CurrentProject(m_frame);
    CStatsView::DrawHeaderBand(painter, rect(), false, false, m_doc, project, m_frame);
    // After a classic build that passed over many bodies: the hint in two
    // lines right of the title, above the list.
    const QString hint = project && project->stats ? ModernRuleHint(*project->stats) : QString();
    if (hint.isEmpty()) return;
    const int title =
        QFontMetrics(LargeFont(m_frame)).horizontalAdvance(CStatsView::ProjectTitle(*project));
    const QRect band(QPoint(8 + title + 24, 4), QPoint(width() - 9, 35));
    painter.setFont(TextFont(m_frame));
    painter.setPen(QColor(160, 0, 0));
    painter.setClipRect(band);
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, hint);
}

void CDetailView::resizeEvent(QResizeEvent*)
{
    const QRect inset = rect().adjusted(8, 8, -8, -8);
    m_list->setGeometry(inset.left(), inset.top() + 30, inset.width(),
                        std::max(0, inset.height() - 60));
    const QSize button(110, 22);
    m_edit->setGeometry(QRect(QPoint(inset.right() - 200, inset.bottom() - 22), button));
    m_methods->setGeometry(QRect(QPoint(inset.right() - 75, inset.bottom() - 22), QSize(75, 22)));
}

}  // namespace codeburg
