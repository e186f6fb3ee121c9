// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FilterSheetModel.h"

#include "model/TorrentFilter.h"
#include "viewmodels/TorrentListViewModel.h"

FilterSheetModel::FilterSheetModel(QObject *parent) : QAbstractListModel(parent) {}

int FilterSheetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant FilterSheetModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole:
        return row.title;
    case CountRole:
        return row.count;
    case IsSelectedRole:
        return row.isSelected;
    default:
        return {};
    }
}

QHash<int, QByteArray> FilterSheetModel::roleNames() const
{
    return {{TitleRole, "title"}, {CountRole, "count"}, {IsSelectedRole, "isSelected"}};
}

void FilterSheetModel::setViewModel(TorrentListViewModel *viewModel)
{
    if (m_viewModel == viewModel)
        return;
    if (m_viewModel)
        m_viewModel->disconnect(this);
    m_viewModel = viewModel;
    if (viewModel) {
        // A sync that arrives while the sheet is open changes counts; a tap changes checkmarks.
        for (const auto signal :
             {&TorrentListViewModel::torrentsChanged, &TorrentListViewModel::categoriesChanged,
              &TorrentListViewModel::tagsChanged, &TorrentListViewModel::selectedFilterChanged,
              &TorrentListViewModel::sortOptionChanged, &TorrentListViewModel::selectedCategoryChanged,
              &TorrentListViewModel::selectedTagChanged}) {
            connect(viewModel, signal, this, &FilterSheetModel::refreshValues);
        }
    }
    rebuild();
    Q_EMIT viewModelChanged();
}

void FilterSheetModel::setTab(int tab)
{
    if (m_tab == tab || tab < statusTab || tab > tagTab)
        return;
    m_tab = tab;
    rebuild();
    Q_EMIT tabChanged();
    Q_EMIT emptyTextChanged();
}

void FilterSheetModel::setCategories(const QStringList &names)
{
    if (m_categories == names)
        return;
    m_categories = names;
    if (m_tab == categoryTab)
        rebuild();
    Q_EMIT categoriesChanged();
    Q_EMIT emptyTextChanged();
}

void FilterSheetModel::setTags(const QStringList &names)
{
    if (m_tags == names)
        return;
    m_tags = names;
    if (m_tab == tagTab)
        rebuild();
    Q_EMIT tagsChanged();
    Q_EMIT emptyTextChanged();
}

QString FilterSheetModel::emptyText() const
{
    if (m_tab == categoryTab && m_categories.isEmpty())
        return tr("暂无分类");
    if (m_tab == tagTab && m_tags.isEmpty())
        return tr("暂无标签");
    return {};
}

void FilterSheetModel::choose(int row)
{
    if (!m_viewModel || row < 0 || row >= m_rows.size())
        return;
    const std::optional<QString> &key = m_rows.at(row).key;
    switch (m_tab) {
    case statusTab:
        if (const auto filter = TorrentFilters::fromRawValue(*key))
            m_viewModel->setSelectedFilter(*filter);
        break;
    case sortTab:
        if (const auto option = TorrentSortOptions::fromRawValue(*key))
            m_viewModel->setSortOption(*option);
        break;
    case categoryTab:
        m_viewModel->setSelectedCategory(key);
        break;
    default:
        m_viewModel->setSelectedTag(key);
        break;
    }
}

// A new tab or new lists replace every row; without a list model there is nothing to count.
void FilterSheetModel::rebuild()
{
    beginResetModel();
    m_rows.clear();
    if (m_viewModel) {
        if (m_tab == statusTab) {
            for (const TorrentFilter filter : TorrentFilters::allCases())
                m_rows.append({TorrentFilters::displayName(filter), TorrentFilters::rawValue(filter)});
        } else if (m_tab == sortTab) {
            for (const TorrentSortOption option : TorrentSortOptions::allCases())
                m_rows.append(
                    {TorrentSortOptions::displayName(option), TorrentSortOptions::rawValue(option)});
        } else {
            m_rows.append({tr("全部"), std::nullopt});
            for (const QString &name : m_tab == categoryTab ? m_categories : m_tags)
                m_rows.append({name, name});
        }
        for (Row &row : m_rows) {
            row.count = countOf(row);
            row.isSelected = isSelected(row);
        }
    }
    endResetModel();
}

void FilterSheetModel::refreshValues()
{
    for (int i = 0; i < m_rows.size(); ++i) {
        Row &row = m_rows[i];
        QList<int> roles;
        if (const int count = countOf(row); count != row.count) {
            row.count = count;
            roles.append(CountRole);
        }
        if (const bool selected = isSelected(row); selected != row.isSelected) {
            row.isSelected = selected;
            roles.append(IsSelectedRole);
        }
        if (!roles.isEmpty())
            Q_EMIT dataChanged(index(i), index(i), roles);
    }
}

int FilterSheetModel::countOf(const Row &row) const
{
    if (!m_viewModel || !row.key || m_tab == sortTab)
        return -1;
    if (m_tab == statusTab)
        return m_viewModel->torrentCount(TorrentFilters::fromRawValue(*row.key).value_or(TorrentFilter::all));
    return m_tab == categoryTab ? m_viewModel->torrentCountForCategory(*row.key)
                                : m_viewModel->torrentCountForTag(*row.key);
}

bool FilterSheetModel::isSelected(const Row &row) const
{
    if (!m_viewModel)
        return false;
    switch (m_tab) {
    case statusTab:
        return row.key == TorrentFilters::rawValue(m_viewModel->selectedFilter());
    case sortTab:
        return row.key == TorrentSortOptions::rawValue(m_viewModel->sortOption());
    case categoryTab:
        return row.key == m_viewModel->selectedCategory();
    default:
        return row.key == m_viewModel->selectedTag();
    }
}
