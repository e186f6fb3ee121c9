// The shown list's model: every update must leave a view that follows its signals with exactly
// the new list, and must reset only when most of the list changed.

#include "ModelSnapshot.h"
#include "viewmodels/TorrentListModel.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

Torrent torrent(const QString &id, qint64 dlspeed = 0)
{
    Torrent t;
    t.id = id;
    t.name = QStringLiteral("name-") + id;
    t.size = 1536;
    t.progress = 0.4567;
    t.dlspeed = dlspeed;
    t.state = TorrentState::downloading;
    t.tags = QStringLiteral("a, b");
    return t;
}

// One torrent per letter: "abc" -> torrents a, b and c.
QList<Torrent> fromLetters(const QString &letters)
{
    QList<Torrent> list;
    for (QChar c : letters)
        list.append(torrent(QString(c)));
    return list;
}

QString idAt(const QAbstractItemModel &model, int row)
{
    return model.data(model.index(row, 0), TorrentListModel::HashRole).toString();
}

// A view's picture of the model, kept only from the model's signals.
struct Follower
{
    explicit Follower(TorrentListModel &model) : model(model)
    {
        for (int row = 0; row < model.rowCount(); ++row)
            ids.append(idAt(model, row));
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model,
                         [this](const QModelIndex &, int first, int last) {
                             for (int row = first; row <= last; ++row)
                                 ids.insert(row, idAt(this->model, row));
                             ++inserts;
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &model,
                         [this](const QModelIndex &, int first, int last) {
                             ids.remove(first, last - first + 1);
                             ++removals;
                         });
        QObject::connect(
            &model, &QAbstractItemModel::rowsMoved, &model,
            [this](const QModelIndex &, int start, int end, const QModelIndex &, int destination) {
                QStringList block = ids.mid(start, end - start + 1);
                ids.remove(start, end - start + 1);
                const int at = destination > start ? destination - int(block.size()) : destination;
                for (int i = 0; i < block.size(); ++i)
                    ids.insert(at + i, block.at(i));
                ++moves;
            });
        QObject::connect(&model, &QAbstractItemModel::modelReset, &model, [this] {
            ids.clear();
            for (int row = 0; row < this->model.rowCount(); ++row)
                ids.append(idAt(this->model, row));
            ++resets;
        });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                         [this](const QModelIndex &first, const QModelIndex &last, const QList<int> &roles) {
                             changes.append({first.row(), last.row(), roles});
                         });
    }

    struct Change
    {
        int first;
        int last;
        QList<int> roles;
    };

    TorrentListModel &model;
    QStringList ids;
    int inserts = 0;
    int removals = 0;
    int moves = 0;
    int resets = 0;
    QList<Change> changes;
};

QStringList idsOf(const QList<Torrent> &list)
{
    QStringList ids;
    for (const Torrent &t : list)
        ids.append(t.id);
    return ids;
}

} // namespace

class TestTorrentListModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsMatchTheirSnapshot();
    void valueChangeSignalsOnlyItsRoles_data();
    void valueChangeSignalsOnlyItsRoles();
    void structuralChanges_data();
    void structuralChanges();
    void updatesInSequenceStayConsistent();
    void duplicateIdsStartOverAndLookupsFollow();
};

void TestTorrentListModel::rowsMatchTheirSnapshot()
{
    TorrentListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    Torrent paused = torrent(QStringLiteral("h1"), 1048576);
    paused.ratio = std::numeric_limits<double>::infinity();
    paused.eta = 3725;
    paused.state = TorrentState::pausedUP;
    paused.category = QStringLiteral("linux");
    paused.savePath = QStringLiteral("/srv");
    Torrent stalled = torrent(QStringLiteral("h2"));
    stalled.state = TorrentState::stalledDL;
    stalled.eta = 8640000;
    stalled.tags.clear();
    model.setTorrents({paused, stalled});
    COMPARE_SNAPSHOT(model, QStringLiteral("torrent-list"));
    QVERIFY(!model.data(model.index(0), Qt::UserRole + 500).isValid());
}

void TestTorrentListModel::valueChangeSignalsOnlyItsRoles_data()
{
    using R = TorrentListModel::Role;
    QTest::addColumn<int>("field");
    QTest::addColumn<QList<int>>("roles");
    QTest::newRow("download speed") << 0 << QList<int>{R::DlspeedRole, R::DlspeedTextRole};
    QTest::newRow("state") << 1
                           << QList<int>{R::TorrentStateRole, R::StateNameRole, R::StateIconRole,
                                         R::IsPausedRole};
    QTest::newRow("tags") << 2 << QList<int>{R::TagListRole};
    QTest::newRow("progress and eta")
        << 3 << QList<int>{R::ProgressRole, R::ProgressTextRole, R::EtaRole, R::EtaTextRole};
    QTest::newRow("no shown field") << 4 << QList<int>{};
    QTest::newRow("two neighbours and one apart") << 5 << QList<int>{R::DlspeedRole, R::DlspeedTextRole};
}

void TestTorrentListModel::valueChangeSignalsOnlyItsRoles()
{
    QFETCH(int, field);
    QFETCH(QList<int>, roles);
    TorrentListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QList<Torrent> list = fromLetters(QStringLiteral("abcdef"));
    model.setTorrents(list);
    Follower follower(model);

    Torrent &t = list[2];
    switch (field) {
    case 0:
        t.dlspeed = 4096;
        break;
    case 1:
        t.state = TorrentState::pausedDL;
        break;
    case 2:
        t.tags = QStringLiteral("c");
        break;
    case 3:
        t.progress = 0.5;
        t.eta = 20;
        break;
    case 4:
        t.downloaded = 99;
        t.numSeeds = 3;
        break;
    default:
        list[1].dlspeed = 1;
        t.dlspeed = 2;
        list[5].dlspeed = 5;
        break;
    }
    model.setTorrents(list);

    QCOMPARE(follower.resets + follower.inserts + follower.removals + follower.moves, 0);
    QList<std::pair<int, int>> ranges;
    for (const Follower::Change &change : std::as_const(follower.changes)) {
        ranges.append({change.first, change.last});
        QCOMPARE(change.roles, roles);
    }
    const QList<std::pair<int, int>> expected = roles.isEmpty() ? QList<std::pair<int, int>>()
                                                : field == 5    ? QList<std::pair<int, int>>{{1, 2}, {5, 5}}
                                                                : QList<std::pair<int, int>>{{2, 2}};
    QCOMPARE(ranges, expected);
    // The row holds the new record, also the fields that no role shows.
    QCOMPARE(model.torrents(), list);
    QCOMPARE(model.torrentAt(2).value<Torrent>(), list[2]);
}

void TestTorrentListModel::structuralChanges_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("reset");
    const struct
    {
        const char *tag, *before, *after;
        bool reset;
    } cases[] = {
        {"from empty", "", "abc", false},
        {"to empty", "abc", "", false},
        {"insert at the front", "bcdefghij", "abcdefghij", false},
        {"insert in the middle", "abcdfghij", "abcdefghij", false},
        {"append two", "abcdefgh", "abcdefghij", false},
        {"remove first", "abcdefghij", "bcdefghij", false},
        {"remove scattered", "abcdefghij", "acdfghj", false},
        {"remove last", "abcdefghij", "abcdefghi", false},
        {"swap two", "abcdefghij", "abcdefhgij", false},
        {"first to last", "abcdefghij", "bcdefghija", false},
        {"last to first", "abcdefghij", "jabcdefghi", false},
        {"insert, remove and move", "abcdefghij", "xabdefcghjy", false},
        {"moves across each other", "abcdefghij", "abhcdeifgj", false},
        {"reversed", "abcdefghij", "jihgfedcba", true},
        {"all new", "abcdefghij", "klmnopqrst", true},
        {"most removed", "abcdefghij", "ab", true},
        {"most inserted", "ab", "abcdefghij", true},
    };
    for (const auto &c : cases)
        QTest::newRow(c.tag) << QString::fromLatin1(c.before) << QString::fromLatin1(c.after) << c.reset;
}

void TestTorrentListModel::structuralChanges()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, reset);

    TorrentListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setTorrents(fromLetters(before));
    Follower follower(model);
    QSignalSpy counts(&model, &TorrentListModel::countChanged);

    QList<Torrent> next = fromLetters(after);
    // One kept row also changes its value: it must arrive as well.
    for (Torrent &t : next) {
        if (before.contains(t.id))
            t.dlspeed = 7;
    }
    model.setTorrents(next);

    QCOMPARE(follower.resets, reset ? 1 : 0);
    QCOMPARE(follower.ids, idsOf(next));
    QCOMPARE(model.torrents(), next);
    QCOMPARE(model.count(), int(after.size()));
    QCOMPARE(counts.size(), before.size() == after.size() ? 0 : 1);
    for (int row = 0; row < model.rowCount(); ++row)
        QCOMPARE(model.data(model.index(row), TorrentListModel::DlspeedRole).toLongLong(), next[row].dlspeed);
}

// A long run of random updates, each checked against what a following view sees.
void TestTorrentListModel::updatesInSequenceStayConsistent()
{
    TorrentListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    Follower follower(model);
    QRandomGenerator random(20240605);
    QList<Torrent> list;
    int nextId = 0;
    for (int round = 0; round < 300; ++round) {
        const int action = random.bounded(5);
        if (action == 0 || list.size() < 10) {
            list.insert(random.bounded(int(list.size()) + 1), torrent(QString::number(nextId++)));
        } else if (action == 1) {
            list.removeAt(random.bounded(int(list.size())));
        } else if (action == 2) {
            list.move(random.bounded(int(list.size())), random.bounded(int(list.size())));
        } else if (action == 3) {
            list[random.bounded(int(list.size()))].dlspeed = random.bounded(1000);
        } else {
            list.move(random.bounded(int(list.size())), random.bounded(int(list.size())));
            list.removeAt(random.bounded(int(list.size())));
            list.insert(random.bounded(int(list.size()) + 1), torrent(QString::number(nextId++)));
        }
        model.setTorrents(list);
        QCOMPARE(follower.ids, idsOf(list));
        QCOMPARE(model.torrents(), list);
    }
    // At most three rows change per step, never most of a list of ten or more.
    QCOMPARE(follower.resets, 0);
}

void TestTorrentListModel::duplicateIdsStartOverAndLookupsFollow()
{
    TorrentListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setTorrents(fromLetters(QStringLiteral("abcd")));
    Follower follower(model);
    model.setTorrents(fromLetters(QStringLiteral("abbcd")));
    QCOMPARE(follower.resets, 1);
    QCOMPARE(follower.ids, QStringList({"a", "b", "b", "c", "d"}));
    model.setTorrents(fromLetters(QStringLiteral("abcd")));
    QCOMPARE(follower.ids, QStringList({"a", "b", "c", "d"}));
    QCOMPARE(model.indexOf(QStringLiteral("c")), 2);
    model.setTorrents(fromLetters(QStringLiteral("ca")));
    QCOMPARE(model.indexOf(QStringLiteral("a")), 1);
    QCOMPARE(model.indexOf(QStringLiteral("b")), -1);
    QCOMPARE(model.torrentAt(0).value<Torrent>().id, QStringLiteral("c"));
    QVERIFY(!model.torrentAt(2).isValid());
    QVERIFY(!model.torrentAt(-1).isValid());
}

QTEST_GUILESS_MAIN(TestTorrentListModel)
#include "tst_TorrentListModel.moc"
