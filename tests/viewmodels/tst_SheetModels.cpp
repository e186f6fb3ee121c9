// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The models of the torrent list's two sheets. Add: what reaches the local test server for each
// input, failures that end in the alert, the category menus, a sheet closed mid-request.
// Filter: texts, counts and checkmarks per tab, counts that follow a sync while the sheet is
// open, and taps that change only the list model's choice.

#include "ModelTesting.h"
#include "support/Fixtures.h"

#include "sync/TorrentRepository.h"
#include "viewmodels/AddTorrentViewModel.h"
#include "viewmodels/FilterSheetModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QNetworkAccessManager>

namespace {

const QByteArray addPath = QByteArrayLiteral("/api/v2/torrents/add");
const QByteArray categoriesPath = QByteArrayLiteral("/api/v2/torrents/categories");

// The parts of a multipart body as "name=value", a file part as "name[filename]=bytes".
QStringList partsOf(const QByteArray &body)
{
    static const QRegularExpression part(
        QStringLiteral("name=\"(\\w+)\"(?:; filename=\"([^\"]*)\")?\r\n(?:[^\r\n]+\r\n)?\r\n(.*?)\r\n--"),
        QRegularExpression::DotMatchesEverythingOption);
    QStringList parts;
    for (auto it = part.globalMatch(QString::fromUtf8(body)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        parts.append(m.captured(1) + (m.captured(2).isNull() ? QString() : '[' + m.captured(2) + ']') + '=' +
                     m.captured(3));
    }
    return parts;
}

// The filter sheet's rows as "title count ✓" (no count for rows without one) joined by "|".
QString snapshot(const FilterSheetModel &model)
{
    QStringList rows;
    for (int i = 0; i < model.rowCount(); ++i) {
        const QModelIndex index = model.index(i);
        QString row = index.data(FilterSheetModel::TitleRole).toString();
        if (const int count = index.data(FilterSheetModel::CountRole).toInt(); count >= 0)
            row += ' ' + QString::number(count);
        rows.append(row + (index.data(FilterSheetModel::IsSelectedRole).toBool() ? " ✓" : ""));
    }
    return rows.join('|');
}

} // namespace

// What one case needs, torn down in reverse order after it.
struct Setup : SettingsHarness
{
    std::unique_ptr<AddTorrentViewModel> add;
    std::unique_ptr<TorrentListViewModel> list;
    std::unique_ptr<FilterSheetModel> sheet;
};

class TestSheetModels : public QObject
{
    Q_OBJECT

    std::unique_ptr<Setup> m;

    // An add sheet filled as the user would, with a link or with a file of the test folder ("" none,
    // "x/" a folder, "missing…" never created, "https:…" not local). File mode ignores the link.
    AddTorrentViewModel &addSheet(const QString &input, bool byFile = false)
    {
        m->add = std::make_unique<AddTorrentViewModel>(m->api.client, m->settings);
        m->add->setAddMode(byFile ? AddTorrentViewModel::file : AddTorrentViewModel::url);
        m->add->setTorrentURL(byFile ? QStringLiteral("magnet:?x") : input);
        const QString path = m->dir.filePath(input);
        QFile torrent(path);
        if (!byFile || input.isEmpty())
            return *m->add;
        if (input.endsWith('/'))
            QDir().mkpath(path);
        else if (!input.startsWith(QLatin1String("missing")) && torrent.open(QIODevice::WriteOnly))
            torrent.write("d4:infoe");
        m->add->setSelectedFileURL(input.contains(':') ? QUrl(input)
                                                       : QUrl::fromLocalFile(QDir::cleanPath(path)));
        return *m->add;
    }

    // A list model over the recorded sync (a metaDL torrent in "linux" tagged "iso", a stalledUP
    // one in "test" tagged "a, b") and a filter sheet on it.
    FilterSheetModel &filterSheet(const QStringList &categories, const QStringList &tags)
    {
        m->sheet.reset();
        m->list = std::make_unique<TorrentListViewModel>(
            std::make_unique<TorrentRepository>(m->api.client, m->settings), m->settings);
        m->list->repository().apply(SyncData::fromJson(fixture(QStringLiteral("maindata-full.json"))));
        m->sheet = std::make_unique<FilterSheetModel>();
        m->sheet->setCategories(categories);
        m->sheet->setTags(tags);
        m->sheet->setViewModel(m->list.get());
        return *m->sheet;
    }

private Q_SLOTS:
    void init()
    {
        m = std::make_unique<Setup>();
        QVERIFY(m->api.connect());
    }

    void cleanup() { m.reset(); }

    // Each case: "link, or file: and a name for addSheet()" "savepath|category|tags as typed"
    // the server's answer = what the sheet and the server saw.
    void addSendsWhatWasEntered()
    {
        COMPARE_CASES(QStringLiteral("add-sheet.cases"), [this](const QString &input) {
            const QString link = input.section(u'"', 1, 1)
                                     .replace(QLatin1String("\\t"), QLatin1String("\t"))
                                     .replace(QLatin1String("\\n"), QLatin1String("\n"));
            const QString fields = input.section(u'"', 3, 3);
            const QString answer = input.section(u'"', 4).trimmed();
            m->api.server.clearRequests();
            m->api.server.on(addPath, answer == "500" ? TestResponse::withStatus(500)
                                                      : TestResponse::text(answer.toUtf8()));
            const bool byFile = link.startsWith(QLatin1String("file:"));
            AddTorrentViewModel &sheet = addSheet(byFile ? link.mid(5) : link, byFile);
            sheet.setSavePath(fields.section('|', 0, 0));
            sheet.setCategory(fields.section('|', 1, 1));
            sheet.setTags(fields.section('|', 2, 2));
            QSignalSpy added(&sheet, &AddTorrentViewModel::added);
            QStringList seen{sheet.isValid() ? "valid" : "invalid"};
            sheet.add();
            if (sheet.isAdding())
                seen.append(QStringLiteral("adding"));
            sheet.add(); // a second tap while adding sends nothing more
            if (!QTest::qWaitFor([&sheet] { return !sheet.isAdding(); }))
                seen.append(QStringLiteral("still adding"));
            for (const RecordedRequest &request : m->api.server.requestsTo(addPath))
                seen.append(QStringLiteral("sent ") + partsOf(request.body).join('&'));
            if (!added.isEmpty())
                seen.append(QStringLiteral("added"));
            if (sheet.showError() || !sheet.errorMessage().isEmpty())
                seen.append(QStringLiteral("alert ") +
                            sheet.errorMessage().replace('\n', QLatin1String("\\n")));
            if (sheet.tags() != fields.section('|', 2, 2)) // the input stays after a failure
                seen.append(QStringLiteral("tags lost"));
            return seen.join(QStringLiteral(", "));
        });
    }

    // The save path is prefilled; the menus come from the server's categories. A failed load
    // only logs and keeps the list, and an entered path is not replaced.
    void addMenusAndPrefill()
    {
        m->settings.setDefaultSavePath(QStringLiteral("/data/incoming"));
        m->api.server.enqueue(categoriesPath,
                              TestResponse::json(R"({"linux":{"name":"linux","savePath":"/srv/l"},
            "empty":{"name":"empty","savePath":""}, "again":{"name":"again","savePath":"/srv/l"},
            "movies":{"name":"movies","savePath":"/srv/a"}})"));
        m->api.server.enqueue(categoriesPath, TestResponse::withStatus(500));
        AddTorrentViewModel &sheet = addSheet({});
        Steps steps(sheet);
        for (const QString &tap : QStringList{"appear", "category 0", "category 1", "category -1", "path 0",
                                              "path -1", "appear"}) {
            const int index = tap.section(u' ', 1).toInt();
            if (tap == QLatin1String("appear"))
                sheet.appear();
            else if (tap.startsWith(QLatin1String("category")))
                sheet.chooseCategory(index);
            else
                sheet.chooseSavePath(index);
            steps.step(tap);
            if (sheet.isLoadingCategories()) {
                QTRY_VERIFY(!sheet.isLoadingCategories());
                steps.step(QStringLiteral("loaded"));
            }
        }
        COMPARE_STEPS(steps);
    }

    void addSheetClosedWhileInFlight()
    {
        m->api.server.on(addPath, late(TestResponse::json("{}"), 100));
        m->api.server.on(categoriesPath, late(TestResponse::json("{}"), 100));
        AddTorrentViewModel &sheet = addSheet(QStringLiteral("magnet:?x"));
        sheet.appear();
        sheet.add();
        QVERIFY(m->api.server.waitForRequests(2));
        QSignalSpy finished(m->api.client.findChild<QNetworkAccessManager *>(),
                            &QNetworkAccessManager::finished);
        m->add.reset();
        QTRY_COMPARE(finished.size(), 2);
        QCoreApplication::processEvents();
    }

    // Each case: a tab, the categories or tags the sheet opened with, the row tapped = the rows,
    // the list model's choice after the tap and the rows then (and what "全部" leaves).
    void filterRowsAndTaps()
    {
        COMPARE_CASES(QStringLiteral("filter-sheet.cases"), [this](const QString &input) {
            const int tab = input.section(' ', 0, 0).toInt();
            const QStringList names = input.section(' ', 1, 1).remove('-').split(',', Qt::SkipEmptyParts);
            FilterSheetModel &sheet =
                filterSheet(tab == 2 ? names : QStringList(), tab == 3 ? names : QStringList());
            QSignalSpy reset(&sheet, &QAbstractItemModel::modelReset);
            sheet.setTab(tab);
            QStringList seen{snapshot(sheet), sheet.emptyText()};
            const char *property[] = {"selectedFilter", "sortOption", "selectedCategory", "selectedTag"};
            const auto value = [&] {
                const QVariant v = m->list->property(property[tab]);
                return QString::fromLatin1(property[tab]) + '=' +
                       (v.isNull() ? QStringLiteral("none") : v.toString());
            };
            sheet.choose(input.section(' ', 2, 2).toInt());
            seen << value() << snapshot(sheet) << QStringLiteral("%1 resets").arg(reset.size());
            if (tab >= 2) { // "全部" clears a category or tag
                sheet.choose(0);
                seen.append(QStringLiteral("全部: ") + value());
            }
            return seen.join(QStringLiteral(" ; "));
        });
    }

    void filterCountsFollowSyncsWhileOpen()
    {
        FilterSheetModel &sheet = filterSheet({"linux", "test"}, {});
        QSignalSpy reset(&sheet, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&sheet, &QAbstractItemModel::dataChanged);
        m->list->repository().apply(
            SyncData::fromJson(fixture(QStringLiteral("maindata-rid1-after-pause.json"))));
        QCOMPARE(snapshot(sheet),
                 QStringLiteral("全部 2 ✓|下载中 1|做种中 0|已完成 1|已暂停 1|活动 1|非活动 1"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 4);
        QCOMPARE(changed[0][2].value<QList<int>>(), QList<int>{FilterSheetModel::CountRole});

        sheet.setTab(FilterSheetModel::categoryTab);
        m->list->repository().apply(SyncData::fromJson(
            R"({"rid":3,"torrents":{"db022fb182e05e8b64241c9e5e39e019c8d65e3d":{"category":"linux"}}})"));
        QCOMPARE(snapshot(sheet), QStringLiteral("全部 ✓|linux 2|test 0"));
        QCOMPARE(reset.size(), 1); // the tab change only
    }
};

QTEST_GUILESS_MAIN(TestSheetModels)
#include "tst_SheetModels.moc"
