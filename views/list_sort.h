#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace codeburg {

class FileStats;
struct MethodStats;
struct DeveloperRecord;

// The sort state every report list keeps: one sort column and one direction
// flag per column. Clicking the sort column reverses it; clicking another
// column makes it the sort column with whatever direction it last had.
class SortState {
public:
    SortState(int columns, int column);

    void Click(int column);
    int column() const { return m_column; }
    bool descending() const { return m_descending[m_column]; }
    bool descending(int column) const { return m_descending[column]; }

private:
    int m_column;
    std::vector<bool> m_descending;
};

// The columns of the details list, in order. The list shows and sorts by
// the same values, so both read them here.
enum class FileColumn {
    Name,
    Methods,
    Lines,
    Eloc,
    Comments,
    Asserts,
    Empty,
    Includes,
    Classes,
    MaxMethodEloc,
    ElocPerMethod,
    CommentPercent,
    AssertPercent,
};
constexpr int kFileColumns = 13;
// A file's value in a column (ratios in percent); 0 for the name and for a
// column out of range.
double FileColumnValue(const FileStats& file, int column);

// Three-way comparisons of two rows by one column (negative, 0, positive).
// A null record is the "TOTAL" row or an empty row: the callers put it last.
int CompareFiles(const FileStats& a, const FileStats& b, int column);
int CompareMethods(const MethodStats& a, const MethodStats& b, int column);
int CompareDevelopers(const DeveloperRecord& a, const DeveloperRecord& b, int column);

// Sorts rows by "compare" in the state's direction; null rows stay last in
// both directions, so the "TOTAL" row never moves up.
template <typename Row, typename Compare>
void SortRows(std::vector<Row*>& rows, const SortState& state, Compare compare)
{
    const bool descending = state.descending();
    const int column = state.column();
    std::stable_sort(rows.begin(), rows.end(), [&](const Row* a, const Row* b) {
        if (!a || !b) return a && !b;
        const int order = compare(*a, *b, column);
        return descending ? order > 0 : order < 0;
    });
}

}  // namespace codeburg
