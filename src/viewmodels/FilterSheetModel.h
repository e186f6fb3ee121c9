// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractListModel>
#include <QPointer>
#include <QStringList>

#include <optional>

class TorrentListViewModel;
Q_MOC_INCLUDE("viewmodels/TorrentListViewModel.h")

// The rows of the filter sheet's selected tab: the status filters with their counts, the sort
// options, or "全部" followed by the categories or tags with their counts. Counts and checkmarks
// follow the list model as syncs arrive and choices change; the category and tag rows are the
// lists the sheet was opened with.
class FilterSheetModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(TorrentListViewModel *viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)
    Q_PROPERTY(int tab READ tab WRITE setTab NOTIFY tabChanged)
    Q_PROPERTY(QStringList categories READ categories WRITE setCategories NOTIFY categoriesChanged)
    Q_PROPERTY(QStringList tags READ tags WRITE setTags NOTIFY tagsChanged)
    // Shown under the rows when the tab has no category or tag to offer; else empty.
    Q_PROPERTY(QString emptyText READ emptyText NOTIFY emptyTextChanged)

public:
    enum Tab { statusTab, sortTab, categoryTab, tagTab };
    enum Role {
        TitleRole = Qt::UserRole + 1,
        CountRole, // -1 for rows without a count
        IsSelectedRole,
    };
    Q_ENUM(Role)

    explicit FilterSheetModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    TorrentListViewModel *viewModel() const { return m_viewModel; }
    void setViewModel(TorrentListViewModel *viewModel);
    int tab() const { return m_tab; }
    void setTab(int tab);
    QStringList categories() const { return m_categories; }
    void setCategories(const QStringList &names);
    QStringList tags() const { return m_tags; }
    void setTags(const QStringList &names);
    QString emptyText() const;

    // A tap on a row: only the list model's choice changes.
    Q_INVOKABLE void choose(int row);

Q_SIGNALS:
    void viewModelChanged();
    void tabChanged();
    void categoriesChanged();
    void tagsChanged();
    void emptyTextChanged();

private:
    struct Row
    {
        QString title;
        std::optional<QString> key; // raw value or name; none for "全部"
        int count = -1;
        bool isSelected = false;
    };

    void rebuild();
    void refreshValues();
    int countOf(const Row &row) const;
    bool isSelected(const Row &row) const;

    QPointer<TorrentListViewModel> m_viewModel;
    int m_tab = statusTab;
    QStringList m_categories;
    QStringList m_tags;
    QList<Row> m_rows;
};
