// The models of the torrent list's two sheets. Add: what reaches the local test server for each
// input, failures that end in the alert, the category menus, a sheet closed mid-request.
// Filter: texts, counts and checkmarks per tab, counts that follow a sync while the sheet is
// open, and taps that change only the list model's choice.

#include "api/ApiHarness.h"
#include "support/Fixtures.h"

#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/AddTorrentViewModel.h"
#include "viewmodels/FilterSheetModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

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
struct Setup
{
    QTemporaryDir dir;
    ApiHarness api;
    AppSettings settings{dir.filePath(QStringLiteral("settings.ini"))};
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
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m = std::make_unique<Setup>();
        m->settings.setAutoRefreshEnabled(false);
        QVERIFY(m->api.connect());
    }

    void cleanup() { m.reset(); }

    void addSendsWhatWasEntered_data()
    {
        for (const char *column : {"input", "fields", "answer", "sent", "message"})
            QTest::addColumn<QString>(column);
        // input: a link, or "file:" and a name for addSheet(); fields: savepath|category|tags as
        // typed; answer: the server's body or status; sent: the request's parts joined by "&",
        // empty when nothing may be sent; message: of the alert.
        const auto row = [](const char *name, const char *input, const char *fields, const char *answer,
                            const char *sent, const char *message = "") {
            QTest::newRow(name) << input << fields << answer << sent << message;
        };
        row("no link", "", "||", "", "");
        row("trimmed link, empty fields absent", "  \tmagnet:?x \n", "||", "Ok.", "urls=magnet:?x");
        row("fields as typed", "http://h/a.torrent", "/srv/x|linux|a, b ,c", "Ok.",
            "urls=http://h/a.torrent&savepath=/srv/x&category=linux&tags=a, b ,c");
        row("link of spaces is sent empty", "   ", "||", "Ok.", "urls=");
        row("file mode without a file", "file:", "||", "", "");
        row("file", "file:some file.torrent", "||x", "Ok.", "torrents[some file.torrent]=d4:infoe&tags=x");
        row("server error", "magnet:?x", "||kept", "500", "urls=magnet:?x&tags=kept", "服务器错误 (500)");
        row("rejected", "magnet:?x", "||", "Fails.", "urls=magnet:?x",
            "服务器未添加种子\n\n请检查链接或种子文件是否有效，以及该种子是否已在列表中");
        row("missing file", "file:missing.torrent", "||", "", "",
            "无法读取文件“missing.torrent”：文件不存在。");
        row("folder", "file:dir.torrent/", "||", "", "", "无法读取文件“dir.torrent”：这是一个文件夹。");
        row("not local", "file:https://h/r.torrent", "||", "", "", "无法读取文件“r.torrent”：不是本地文件。");
    }

    void addSendsWhatWasEntered()
    {
        QFETCH(QString, input);
        QFETCH(QString, fields);
        QFETCH(QString, answer);
        QFETCH(QString, sent);
        QFETCH(QString, message);
        m->api.server.on(addPath, answer == "500" ? TestResponse::withStatus(500)
                                                  : TestResponse::text(answer.toUtf8()));
        const bool byFile = input.startsWith(QLatin1String("file:"));
        AddTorrentViewModel &sheet = addSheet(byFile ? input.mid(5) : input, byFile);
        sheet.setSavePath(fields.section('|', 0, 0));
        sheet.setCategory(fields.section('|', 1, 1));
        sheet.setTags(fields.section('|', 2, 2));
        QSignalSpy added(&sheet, &AddTorrentViewModel::added);
        const bool valid = !sent.isEmpty() || !message.isEmpty();
        QCOMPARE(sheet.isValid(), valid);

        sheet.add();
        QCOMPARE(sheet.isAdding(), !sent.isEmpty());
        sheet.add(); // a second tap while adding sends nothing more
        QTRY_VERIFY(!sheet.isAdding());
        QCOMPARE(added.size(), valid && message.isEmpty() ? 1 : 0);
        QCOMPARE(sheet.showError(), !message.isEmpty());
        QCOMPARE(sheet.errorMessage(), message);
        QCOMPARE(sheet.tags(), fields.section('|', 2, 2)); // the input stays after a failure
        const QList<RecordedRequest> requests = m->api.server.requestsTo(addPath);
        QCOMPARE(requests.size(), sent.isEmpty() ? 0 : 1);
        if (!requests.isEmpty())
            QCOMPARE(partsOf(requests[0].body).join('&'), sent);
    }

    void addMenusAndPrefill()
    {
        m->settings.setDefaultSavePath(QStringLiteral("/data/incoming"));
        m->api.server.enqueue(categoriesPath,
                              TestResponse::json(R"({"linux":{"name":"linux","savePath":"/srv/l"},
            "empty":{"name":"empty","savePath":""}, "again":{"name":"again","savePath":"/srv/l"},
            "movies":{"name":"movies","savePath":"/srv/a"}})"));
        m->api.server.enqueue(categoriesPath, TestResponse::withStatus(500));
        AddTorrentViewModel &sheet = addSheet({});
        sheet.appear();
        QCOMPARE(sheet.savePath(), QStringLiteral("/data/incoming"));
        QVERIFY(sheet.isLoadingCategories());
        QTRY_VERIFY(!sheet.isLoadingCategories());
        QCOMPARE(sheet.categoryNames(), QStringList({"linux", "empty", "again", "movies"}));
        QCOMPARE(sheet.savePathChoices(), QStringList({"/srv/a", "/srv/l"}));

        const auto choice = [&] { return sheet.category() + ':' + sheet.savePath(); };
        sheet.chooseCategory(0);
        QCOMPARE(choice(), QStringLiteral("linux:/srv/l"));
        sheet.chooseCategory(1); // no path of its own: the path stays
        QCOMPARE(choice(), QStringLiteral("empty:/srv/l"));
        sheet.chooseCategory(-1);
        QCOMPARE(choice(), QStringLiteral(":/downloads"));
        sheet.chooseSavePath(0);
        QCOMPARE(sheet.savePath(), QStringLiteral("/srv/a"));
        sheet.chooseSavePath(-1);
        QCOMPARE(sheet.savePath(), QStringLiteral("/downloads"));

        // A failed load only logs and keeps the list; an entered path is not replaced.
        LogCapture log;
        sheet.appear();
        QTRY_VERIFY(!sheet.isLoadingCategories());
        QCOMPARE(log.lines(), QStringList{"⚠️ 加载分类失败: 服务器错误 (500)"});
        QCOMPARE(sheet.categoryNames().size(), 4);
        QCOMPARE(sheet.savePath(), QStringLiteral("/downloads"));
    }

    void addSheetClosedWhileInFlight()
    {
        TestResponse late = TestResponse::json("{}");
        late.delayMs = 100;
        m->api.server.on(addPath, late);
        m->api.server.on(categoriesPath, late);
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

    void filterRowsAndTaps_data()
    {
        QTest::addColumn<int>("tab");
        for (const char *column : {"names", "rows", "chosen", "rowsAfterTap"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("tap");
        // names: the categories or tags the sheet opened with; chosen: the list model's property
        // after the tap on row `tap`.
        const auto row = [](const char *name, int tab, const char *names, const char *rows, int tap,
                            const char *chosen, const char *rowsAfterTap) {
            QTest::newRow(name) << tab << names << rows << chosen << rowsAfterTap << tap;
        };
        row("status", 0, "", "全部 2 ✓|下载中 1|做种中 0|已完成 1|已暂停 0|活动 1|非活动 1", 3,
            "selectedFilter=completed", "全部 2|下载中 1|做种中 0|已完成 1 ✓|已暂停 0|活动 1|非活动 1");
        row("sort", 1, "", "默认 ✓|名称|大小|进度|添加时间|下载速度|上传速度|分享率", 4,
            "sortOption=added_on", "默认|名称|大小|进度|添加时间 ✓|下载速度|上传速度|分享率");
        row("categories", 2, "linux,test", "全部 ✓|linux 1|test 1", 1, "selectedCategory=linux",
            "全部|linux 1 ✓|test 1");
        row("tags", 3, "iso,b,a", "全部 ✓|iso 1|b 1|a 1", 2, "selectedTag=b", "全部|iso 1|b 1 ✓|a 1");
        row("no categories", 2, "", "全部 ✓", 0, "selectedCategory=none", "全部 ✓");
        row("no tags", 3, "", "全部 ✓", 0, "selectedTag=none", "全部 ✓");
    }

    void filterRowsAndTaps()
    {
        QFETCH(int, tab);
        QFETCH(QString, names);
        QFETCH(QString, rows);
        QFETCH(int, tap);
        QFETCH(QString, chosen);
        QFETCH(QString, rowsAfterTap);
        const QStringList list = names.split(',', Qt::SkipEmptyParts);
        FilterSheetModel &sheet =
            filterSheet(tab == 2 ? list : QStringList(), tab == 3 ? list : QStringList());
        QSignalSpy reset(&sheet, &QAbstractItemModel::modelReset);
        sheet.setTab(tab);
        QCOMPARE(snapshot(sheet), rows);
        QCOMPARE(reset.size(), tab == 0 ? 0 : 1);
        QCOMPARE(sheet.emptyText(), tab < 2 || !list.isEmpty() ? "" : tab == 2 ? "暂无分类" : "暂无标签");

        sheet.choose(tap);
        const QString property = chosen.section('=', 0, 0);
        const auto value = [&] {
            const QVariant v = m->list->property(qPrintable(property));
            return property + '=' + (v.isNull() ? QStringLiteral("none") : v.toString());
        };
        QCOMPARE(value(), chosen);
        QCOMPARE(snapshot(sheet), rowsAfterTap);
        QCOMPARE(reset.size(), tab == 0 ? 0 : 1); // checkmarks move without rebuilding the rows
        if (tab >= 2) {                           // "全部" clears a category or tag
            sheet.choose(0);
            QCOMPARE(value(), property + "=none");
        }
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
        SyncData move;
        move.rid = 3;
        TorrentData moved;
        moved.category = QStringLiteral("linux");
        move.torrents = QList<std::pair<QString, TorrentData>>{
            {QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d"), moved}};
        m->list->repository().apply(move);
        QCOMPARE(snapshot(sheet), QStringLiteral("全部 ✓|linux 2|test 0"));
        QCOMPARE(reset.size(), 1); // the tab change only
    }
};

QTEST_GUILESS_MAIN(TestSheetModels)
#include "tst_SheetModels.moc"
