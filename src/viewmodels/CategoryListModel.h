// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RecordListModel.h"
#include "model/TransferRecords.h"

// The server's categories as the screens list them: name and save path.
class CategoryListModel : public RecordListModel
{
    Q_OBJECT

public:
    enum Role { NameRole = Qt::UserRole + 1, SavePathRole };
    Q_ENUM(Role)

    using RecordListModel::RecordListModel;
    int count() const override { return int(m_categories.size()); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!validRow(index))
            return {};
        const Category &category = m_categories.at(index.row());
        if (role == NameRole || role == Qt::DisplayRole)
            return category.name;
        return role == SavePathRole ? QVariant(category.savePath) : QVariant();
    }
    QHash<int, QByteArray> roleNames() const override
    {
        return {{NameRole, "name"}, {SavePathRole, "savePath"}};
    }
    const QList<Category> &categories() const { return m_categories; }
    void setCategories(QList<Category> categories) { replaceRows(m_categories, std::move(categories)); }

private:
    QList<Category> m_categories;
};
