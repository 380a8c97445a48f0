#include "views/list_sort.h"

#include "records/file_stats.h"
#include "views/developer_records.h"

namespace codeburg {
namespace {

template <typename T>
int Order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int OrderBytes(const std::string& a, const std::string& b)
{
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

SortState::SortState(int columns, int column)
    : m_column(column >= 0 && column < columns ? column : 0),
      m_descending(static_cast<size_t>(std::max(columns, 1)), false)
{
}

void SortState::Click(int column)
{
    if (column < 0 || column >= static_cast<int>(m_descending.size())) return;
    if (column == m_column)
        m_descending[column] = !m_descending[column];
    else
        m_column = column;
}

int CompareFiles(const FileStats& a, const FileStats& b, int column)
{
    switch (column) {
        case 0:
            return OrderBytes(a.name, b.name);
        case 1:
            return Order(a.MethodCount(), b.MethodCount());
        case 2:
            return Order(a.lines, b.lines);
        case 3:
            return Order(a.Eloc(), b.Eloc());
        case 4:
            return Order(a.commentLines, b.commentLines);
        case 5:
            return Order(a.asserts, b.asserts);
        case 6:
            return Order(a.emptyLines, b.emptyLines);
        case 7:
            return Order(a.includes, b.includes);
        case 8:
            return Order(a.classes.size(), b.classes.size());
        case 9:
            return Order(a.maxMethodEloc, b.maxMethodEloc);
        case 10:
            return Order(a.ElocPerMethod(), b.ElocPerMethod());
        case 11:
            return Order(a.CommentPercent(), b.CommentPercent());
        case 12:
            return Order(a.AssertPercent(), b.AssertPercent());
        default:
            return 0;
    }
}

int CompareMethods(const MethodStats& a, const MethodStats& b, int column)
{
    switch (column) {
        case 0:
            return OrderBytes(a.className, b.className);
        case 1:
            return OrderBytes(a.methodName, b.methodName);
        case 2:
            return Order(a.paramCount, b.paramCount);
        case 3:
            return Order(a.eloc, b.eloc);
        case 4:
            return Order(a.commentLines, b.commentLines);
        case 5:
            return Order(a.asserts, b.asserts);
        case 6:
            return Order(a.emptyLines, b.emptyLines);
        case 7:
            return Order(a.GreenPercent(), b.GreenPercent());
        case 8:
            return Order(a.SpacingPercent(), b.SpacingPercent());
        default:
            return 0;
    }
}

int CompareDevelopers(const DeveloperRecord& a, const DeveloperRecord& b, int column)
{
    switch (column) {
        case 0:
            return OrderBytes(a.name, b.name);
        case 1:
            return Order(a.projects, b.projects);
        case 2:
            return Order(a.eloc, b.eloc);
        case 3:
            return Order(a.elocPerMethod, b.elocPerMethod);
        case 4:
            return Order(a.comments * 100.0f, b.comments * 100.0f);
        case 5:
            return Order(a.asserts * 100.0f, b.asserts * 100.0f);
        case 6:
            return Order(a.overall * 100.0f, b.overall * 100.0f);
        default:
            return 0;
    }
}

}  // namespace codeburg
