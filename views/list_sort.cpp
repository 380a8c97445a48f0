#include "views/list_sort.h"

#include "records/file_stats.h"
#include "workspace/developer_records.h"

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

double FileColumnValue(const FileStats& file, int column)
{
    // Every value fits a double exactly, so the order of the values is the
    // order of the counts and ratios themselves.
    switch (static_cast<FileColumn>(column)) {
        case FileColumn::Name:
            return 0;
        case FileColumn::Methods:
            return file.MethodCount();
        case FileColumn::Lines:
            return file.lines;
        case FileColumn::Eloc:
            return file.Eloc();
        case FileColumn::Comments:
            return file.commentLines;
        case FileColumn::Asserts:
            return file.asserts;
        case FileColumn::Empty:
            return file.emptyLines;
        case FileColumn::Includes:
            return file.includes;
        case FileColumn::Classes:
            return static_cast<double>(file.classes.size());
        case FileColumn::MaxMethodEloc:
            return file.maxMethodEloc;
        case FileColumn::ElocPerMethod:
            return file.ElocPerMethod();
        case FileColumn::CommentPercent:
            return file.CommentPercent();
        case FileColumn::AssertPercent:
            return file.AssertPercent();
    }
    return 0;
}

int CompareFiles(const FileStats& a, const FileStats& b, int column)
{
    if (column == static_cast<int>(FileColumn::Name)) return OrderBytes(a.name, b.name);
    return Order(FileColumnValue(a, column), FileColumnValue(b, column));
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
