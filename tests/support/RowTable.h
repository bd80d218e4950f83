#pragma once

#include <QTest>

#include <initializer_list>

namespace morvane::test {

// A Qt Test table of one column holding a whole case as one struct, so a case reads as one line
// and its fields are named once, in the struct. Each row is named by the case's `name`.
template <typename Row> void AddRows(std::initializer_list<Row> rows)
{
    QTest::addColumn<Row>("row");
    for (const Row& row : rows)
        QTest::newRow(row.name) << row;
}

// The same column for a table whose rows the caller names and adds itself with QTest::addRow.
template <typename Row> void AddRowColumn()
{
    QTest::addColumn<Row>("row");
}

// The case the running test function was called with.
template <typename Row> const Row& CurrentRow()
{
    return *static_cast<const Row*>(QTest::qData("row", qMetaTypeId<Row>()));
}

} // namespace morvane::test
