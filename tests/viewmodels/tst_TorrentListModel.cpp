// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The shown list's model: every update must leave a view that follows its signals with exactly
// the new list, and must reset only when most of the list changed.

#include "ModelTesting.h"
#include "viewmodels/TorrentListModel.h"

#include <QRandomGenerator>

#include <limits>

namespace {

using R = TorrentListModel::Role;

// A downloading torrent, then `changes` as the server would send them.
Torrent torrent(const QString &id, const QByteArray &changes = "{}")
{
    Torrent t;
    t.id = id;
    t.name = QStringLiteral("name-") + id;
    t.size = 1536;
    t.progress = 0.4567;
    t.state = TorrentState::downloading;
    t.tags = QStringLiteral("a, b");
    return t.updatedWith(TorrentData::fromJson(changes));
}

// One torrent per letter: "abc" -> torrents a, b and c.
QList<Torrent> fromLetters(const QString &letters)
{
    QList<Torrent> list;
    for (QChar c : letters)
        list.append(torrent(QString(c)));
    return list;
}

} // namespace

class TestTorrentListModel : public QObject
{
    Q_OBJECT

    TorrentListModel *m_model = nullptr;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

private Q_SLOTS:
    void init()
    {
        m_model = new TorrentListModel(this);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        m_tester.reset();
        delete m_model;
    }

    void rowsMatchTheirSnapshot()
    {
        Torrent paused = torrent(QStringLiteral("h1"), R"({"dlspeed":1048576,"eta":3725,"state":"pausedUP",
                                                           "category":"linux","save_path":"/srv"})");
        paused.ratio = std::numeric_limits<double>::infinity();
        m_model->setTorrents(
            {paused, torrent(QStringLiteral("h2"), R"({"state":"stalledDL","eta":8640000,"tags":""})")});
        COMPARE_SNAPSHOT(*m_model, "torrent-list");
        QVERIFY(!m_model->data(m_model->index(0), Qt::UserRole + 500).isValid());
    }

    // Each case: edits of rows a to f (a letter, then the changed fields as the server sends
    // them) = what a following view was told, each change with its roles. The rows hold the new
    // records, also the fields that no role shows.
    void valueChangeSignalsOnlyItsRoles()
    {
        COMPARE_CASES(QStringLiteral("list-model-edits.cases"), [this](const QString &input) {
            QList<Torrent> list = fromLetters(QStringLiteral("abcdef"));
            m_model->setTorrents(list);
            Follower follower(*m_model, R::HashRole);
            static const QRegularExpression edit(QStringLiteral("([a-f]) (\\{[^}]*\\})"));
            for (const QRegularExpressionMatch &match : edit.globalMatch(input))
                list[match.captured(1).front().unicode() - u'a'] =
                    torrent(match.captured(1), match.captured(2).toUtf8());
            m_model->setTorrents(list);
            QStringList told;
            for (qsizetype i = 0; i < follower.told.size(); ++i) {
                QStringList roles;
                for (int role : follower.changedRoles.value(i))
                    roles.append(QString::fromLatin1(m_model->roleNames().value(role)));
                told.append(follower.told[i] + QStringLiteral(" [%1]").arg(roles.join(QStringLiteral(", "))));
            }
            const bool kept =
                m_model->torrents() == list && m_model->torrentAt(2).value<Torrent>() == list[2];
            return told.join(QStringLiteral(", ")) + (kept ? "" : " (the rows differ from the list)");
        });
    }

    // Each case: the list before > after (a torrent per letter) = what a following view was told.
    // The kept rows also change a value, which must arrive as well.
    void structuralChanges()
    {
        COMPARE_CASES(QStringLiteral("list-model-changes.cases"), [this](const QString &input) {
            const QString before = input.section(QStringLiteral(" > "), 0, 0).remove(u'-');
            m_model->setTorrents(fromLetters(before));
            Follower follower(*m_model, R::HashRole);
            QSignalSpy counts(m_model, &TorrentListModel::countChanged);
            QList<Torrent> next = fromLetters(input.section(QStringLiteral(" > "), 1).remove(u'-'));
            QList<qint64> speeds;
            for (Torrent &t : next)
                t.dlspeed = before.contains(t.id) ? 7 : 0;
            m_model->setTorrents(next);
            for (int row = 0; row < m_model->rowCount(); ++row)
                speeds.append(next[row].dlspeed -
                              m_model->data(m_model->index(row), R::DlspeedRole).toLongLong());
            const bool inStep = follower.rows == idsOf(next) && m_model->torrents() == next &&
                                m_model->count() == next.size() && !speeds.contains(7) &&
                                !speeds.contains(-7) &&
                                counts.size() == (before.size() == next.size() ? 0 : 1);
            return follower.told.join(QStringLiteral(", ")) + (inStep ? "" : " (the view is out of step)");
        });
    }

    // The selection is of torrents, not rows: it follows moves and keeps only rows still shown,
    // whether the list changed row by row or was reset.
    void selectionFollowsTheRows_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("kept"); // in the order of the rows
        QTest::newRow("moved") << "abc" << "ac" << "cba" << "ca";
        QTest::newRow("removed") << "abd" << "bd" << "ad" << "d";
        QTest::newRow("reset") << "abcdef" << "ab" << "bxyz" << "b";
        QTest::newRow("emptied") << "ab" << "ab" << "" << "";
    }
    void selectionFollowsTheRows()
    {
        QFETCH(QString, before);
        QFETCH(QString, selected);
        QFETCH(QString, after);
        QFETCH(QString, kept);
        m_model->setTorrents(fromLetters(before));
        for (const QChar c : selected)
            m_model->toggleSelected(m_model->indexOf(c));
        QCOMPARE(m_model->data(m_model->index(m_model->indexOf(selected.left(1))), R::IsSelectedRole), QVariant(true));
        m_model->setTorrents(fromLetters(after));
        QCOMPARE(m_model->selectedHashes().join(QString()), kept);
        QCOMPARE(m_model->selectedCount(), kept.size());
        m_model->selectAll();
        QCOMPARE(m_model->selectedCount(), after.size());
    }

    // A long run of random updates, each checked against what a following view sees.
    void updatesInSequenceStayConsistent()
    {
        Follower follower(*m_model, R::HashRole);
        QRandomGenerator random(20240605);
        QList<Torrent> list;
        int nextId = 0;
        const auto at = [&](int extra = 0) { return random.bounded(int(list.size()) + extra); };
        for (int round = 0; round < 300; ++round) {
            const int action = random.bounded(5);
            if (action == 0 || list.size() < 10) {
                list.insert(at(1), torrent(QString::number(nextId++)));
            } else if (action == 1) {
                list.removeAt(at());
            } else if (action == 2) {
                list.move(at(), at());
            } else if (action == 3) {
                list[at()].dlspeed = random.bounded(1000);
            } else {
                list.move(at(), at());
                list.removeAt(at());
                list.insert(at(1), torrent(QString::number(nextId++)));
            }
            m_model->setTorrents(list);
            QCOMPARE(follower.rows, idsOf(list));
            QCOMPARE(m_model->torrents(), list);
        }
        // At most three rows change per step, never most of a list of ten or more.
        QVERIFY(!follower.told.contains(QStringLiteral("reset")));
    }

    void duplicateIdsStartOverAndLookupsFollow()
    {
        m_model->setTorrents(fromLetters(QStringLiteral("abcd")));
        Follower follower(*m_model, R::HashRole);
        m_model->setTorrents(fromLetters(QStringLiteral("abbcd")));
        QCOMPARE(follower.told, QStringList{"reset"});
        QCOMPARE(follower.rows, QStringList({"a", "b", "b", "c", "d"}));
        m_model->setTorrents(fromLetters(QStringLiteral("abcd")));
        QCOMPARE(follower.rows, QStringList({"a", "b", "c", "d"}));
        QCOMPARE(m_model->indexOf(QStringLiteral("c")), 2);
        m_model->setTorrents(fromLetters(QStringLiteral("ca")));
        QCOMPARE(m_model->indexOf(QStringLiteral("a")), 1);
        QCOMPARE(m_model->indexOf(QStringLiteral("b")), -1);
        QCOMPARE(m_model->torrentAt(0).value<Torrent>().id, QStringLiteral("c"));
        QVERIFY(!m_model->torrentAt(2).isValid() && !m_model->torrentAt(-1).isValid());
    }
};

QTEST_GUILESS_MAIN(TestTorrentListModel)
#include "tst_TorrentListModel.moc"
