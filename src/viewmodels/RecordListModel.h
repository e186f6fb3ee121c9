// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractListModel>
#include <QList>

#include <algorithm>

// A list model over a list of records that is replaced as a whole by each answer. A
// replacement is applied row by row: rows whose record changed are reported with dataChanged
// (neighbours in one range), a longer list inserts its tail and a shorter one removes it. A
// view that keeps its scroll position and delegates across a refresh needs nothing more; a
// reset would rebuild every delegate of a list of thousands of files on each reload.
class RecordListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : count(); }
    virtual int count() const = 0;

Q_SIGNALS:
    void countChanged();

protected:
    bool validRow(const QModelIndex &index) const
    {
        return checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid);
    }

    // Replaces `rows` by `next`; `same(a, b)` tells whether a row shows the same.
    template <typename T, typename Same> void replaceRows(QList<T> &rows, QList<T> next, Same same)
    {
        const int before = int(rows.size());
        const int after = int(next.size());
        const int common = std::min(before, after);
        int first = -1;
        for (int row = 0; row <= common; ++row) {
            const bool changed = row < common && !same(rows.at(row), next.at(row));
            if (changed) {
                rows[row] = std::move(next[row]);
                if (first < 0)
                    first = row;
            } else if (first >= 0) {
                Q_EMIT dataChanged(index(first), index(row - 1));
                first = -1;
            }
        }
        if (after > before) {
            beginInsertRows({}, before, after - 1);
            rows.append(QList<T>(std::make_move_iterator(next.begin() + before),
                                 std::make_move_iterator(next.end())));
            endInsertRows();
        } else if (after < before) {
            beginRemoveRows({}, after, before - 1);
            rows.remove(after, before - after);
            endRemoveRows();
        }
        if (after != before)
            Q_EMIT countChanged();
    }

    template <typename T> void replaceRows(QList<T> &rows, QList<T> next)
    {
        replaceRows(rows, std::move(next), [](const T &a, const T &b) { return a == b; });
    }
};
