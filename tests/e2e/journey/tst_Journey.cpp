// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A user's first session with the application, through its own Main.qml against the fixture's
// qbittorrent-nox: add a server in the form, connect, see the torrent list, open a torrent's
// detail, pause it by its swipe action, and add a torrent from a file. Screens are driven by
// taps, drags and typed text on their objectName'd items; only the file dialog is stood in for,
// by handing the add sheet the file it would have chosen.
#include "E2EServer.h"
#include "support/Bencode.h"

#include "UiSetup.h"

#include "api/APIEndpoint.h"
#include "store/Persistence.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <memory>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

namespace {

constexpr int uiTimeoutMs = 15'000;
constexpr int syncTimeoutMs = 40'000;
const QString profileName = QStringLiteral("journey-server");
const QString seededName = QStringLiteral("journey-seeded.bin");
const QString addedName = QStringLiteral("journey-added.bin");

// What a text item or field shows; empty for none, so that a missing item fails a comparison.
QString textOf(const QObject *item)
{
    return item ? item->property("text").toString() : QString();
}

bool isShown(const QQuickItem *item)
{
    return item && item->isVisible() && item->isEnabled() && item->width() > 0 && item->height() > 0;
}

// The first shown item below `root`, through both the object tree and the visual tree (popups
// and delegates hang off one or the other), that has that objectName and passes `accept`.
QQuickItem *findShown(QObject *root, const char *name, const std::function<bool(QQuickItem *)> &accept = {})
{
    QSet<QObject *> seen;
    for (QList<QObject *> pending{root}; !pending.isEmpty();) {
        QObject *object = pending.takeFirst();
        if (!object || seen.contains(object))
            continue;
        seen.insert(object);
        auto *item = qobject_cast<QQuickItem *>(object);
        if (isShown(item) && object->objectName() == QLatin1String(name) && (!accept || accept(item)))
            return item;
        pending.append(object->children());
        for (QQuickItem *child : item ? item->childItems() : QList<QQuickItem *>())
            pending.append(child);
    }
    return nullptr;
}

} // namespace

class JourneyTest : public QObject
{
    Q_OBJECT

    E2EServer m_server;
    QBittorrentAPIClient m_client; // the test's own view of the server
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
    QString m_workDir;
    QString m_seededHash;
    QString m_addedHash;
    QString m_addedFile;

    // Waits (bounded) until an item of that name is shown below `root` (the window by
    // default); null when none came, and the tap or check that follows fails on it.
    QQuickItem *waitFor(const char *name, QObject *root = nullptr,
                        const std::function<bool(QQuickItem *)> &accept = {})
    {
        QQuickItem *item = nullptr;
        if (!pollUntil(
                [&] { return (item = findShown(root ? root : m_window->contentItem(), name, accept)); },
                uiTimeoutMs, 50))
            qWarning("no shown item \"%s\" within %d ms", name, uiTimeoutMs);
        return item;
    }
    bool gone(const char *name) { return !findShown(m_window->contentItem(), name); }

    // A tap in the middle of an item once the window has laid it out.
    void tap(QQuickItem *item)
    {
        QVERIFY(item);
        QVERIFY(QQuickTest::qWaitForPolish(m_window));
        QTest::mouseClick(m_window, Qt::LeftButton, {},
                          item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint());
    }
    // Taps a text field and types into it, replacing what it held.
    void type(QQuickItem *field, const QString &text)
    {
        tap(field);
        QTRY_VERIFY(field->hasActiveFocus());
        QTest::keyClick(m_window, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_window, Qt::Key_Backspace);
        for (const QChar c : text)
            QTest::keyClick(m_window, c.toLatin1());
        QCOMPARE(textOf(field), text);
    }

    QQuickItem *torrentRow(const QString &name)
    {
        QQuickItem *list = findShown(m_window->contentItem(), "torrentList");
        if (!list)
            return nullptr;
        QMetaObject::invokeMethod(list, "forceLayout");
        for (QQuickItem *row : list->property("contentItem").value<QQuickItem *>()->childItems())
            if (row->property("name").toString() == name && isShown(row))
                return row;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        E2E_TRY(m_server = E2EServer::fromEnvironment();
                m_workDir = m_server.freshDirectory(QStringLiteral("journey")));
        AWAIT_OK(runTask(
            m_client.login(m_server.serverConfig(QStringLiteral("journey-check")), m_server.password)));
        // One torrent already on the server, over complete data, for the list to show; and the
        // file the add sheet will send, whose data is not on the server.
        const QString seeded = m_workDir + QStringLiteral("/seeded/") + seededName;
        const QString added = m_workDir + QStringLiteral("/source/") + addedName;
        m_addedFile = m_workDir + QStringLiteral("/source/journey-added.torrent");
        E2E_TRY(writeDataFile(seeded, 96 * 1024, 71); writeDataFile(added, 64 * 1024, 72);
                m_seededHash = addTorrentOf(m_client, seeded);
                m_addedHash = writeTorrentFile(added, m_addedFile).infoHash);
        QTRY_VERIFY_WITH_TIMEOUT(!torrentInfo(m_client, m_seededHash).isEmpty(), syncTimeoutMs);

        // The application as main.cpp starts it, on a profile store of its own.
        QStandardPaths::setTestModeEnabled(true);
        QFile::remove(PersistenceController::defaultFilePath());
        if (const auto failure = PersistenceController::openShared())
            QFAIL(qPrintable(*failure));
        applyApplicationStyle();
        m_engine = std::make_unique<QQmlApplicationEngine>();
        prepareQmlEngine(*m_engine);
        m_engine->load(QUrl(QStringLiteral("qrc:/qt/qml/Seedwhirl/qml/Main.qml")));
        m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().value(0));
        QVERIFY(m_window && QTest::qWaitForWindowExposed(m_window));
        // The window shows before its screens are made (between frames); a person sees the
        // welcome screen only once they are.
        auto *screens = m_window->findChild<QQuickItem *>(QStringLiteral("mainLoader"));
        QVERIFY(screens);
        QTRY_COMPARE_WITH_TIMEOUT(screens->property("status").toInt(), 1 /* Loader.Ready */, uiTimeoutMs);
    }

    void addServerInTheForm()
    {
        tap(waitFor("addFirstServerButton"));
        QQuickItem *form = waitFor("addServerView");
        QVERIFY(form);
        const std::pair<const char *, QString> fields[] = {{"nameField", profileName},
                                                           {"hostField", m_server.host},
                                                           {"portField", QString::number(m_server.port)},
                                                           {"usernameField", m_server.username},
                                                           {"passwordField", m_server.password}};
        for (const auto &[name, text] : fields)
            type(waitFor(name, form), text);
        tap(waitFor("testButton", form));
        QTRY_COMPARE_WITH_TIMEOUT(textOf(waitFor("testResultText", form)), QStringLiteral("✓ 连接成功"),
                                  uiTimeoutMs);
        tap(waitFor("saveButton", form));
        QTRY_VERIFY_WITH_TIMEOUT(gone("addServerView"), uiTimeoutMs);
    }

    void connectAndSeeTheList()
    {
        tap(waitFor("welcomeServerRow", nullptr,
                    [](QQuickItem *row) { return textOf(findShown(row, "serverName")) == profileName; }));
        QVERIFY(waitFor("mainTabs") && waitFor("torrentListView"));
        // The list shows the server's torrent, running.
        QTRY_VERIFY_WITH_TIMEOUT(torrentRow(seededName), syncTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!torrentRow(seededName)->property("isPaused").toBool(), syncTimeoutMs);
    }

    void openTheTorrentsDetail()
    {
        tap(torrentRow(seededName));
        QQuickItem *detail = waitFor("torrentDetailView");
        QVERIFY(detail && detail->parentItem());
        // The page slides in; its back button is only where a tap finds it once it has settled.
        QQuickItem *stack = detail->parentItem();
        QTRY_VERIFY_WITH_TIMEOUT(!stack->property("busy").toBool(), uiTimeoutMs);
        QObject *model = detail->property("viewModel").value<QObject *>();
        QVERIFY(model);
        const auto *info = qobject_cast<QAbstractItemModel *>(model->property("info").value<QObject *>());
        QVERIFY(info && info->rowCount() > 0);
        QCOMPARE(info->index(0, 0).data(Qt::DisplayRole).toString(), seededName);
        tap(waitFor("backButton", detail));
        QTRY_VERIFY_WITH_TIMEOUT(gone("torrentDetailView"), uiTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!stack->property("busy").toBool(), uiTimeoutMs);
    }

    void pauseByTheSwipeAction()
    {
        QQuickItem *row = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((row = torrentRow(seededName)) != nullptr, uiTimeoutMs);
        QVERIFY(QQuickTest::qWaitForPolish(m_window));
        // A drag from the right edge towards the left reveals the trailing actions.
        QPoint at = row->mapToScene(QPointF(row->width() - 20, row->height() / 2)).toPoint();
        QTest::mousePress(m_window, Qt::LeftButton, {}, at);
        for (int step = 0; step < 16; ++step)
            QTest::mouseMove(m_window, at -= QPoint(20, 0), 10);
        QTest::mouseRelease(m_window, Qt::LeftButton, {}, at, 10);
        QObject *swipe = row->property("swipe").value<QObject *>();
        QVERIFY(swipe);
        QTRY_COMPARE_WITH_TIMEOUT(swipe->property("position").toReal(), -1.0, uiTimeoutMs);
        tap(waitFor("swipePauseResume", row));
        // Paused: qBittorrent 5 calls it stopped.
        QTRY_VERIFY_WITH_TIMEOUT(
            QStringList({"pausedUP", "stoppedUP"}).contains(stateOf(m_client, m_seededHash)), syncTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(
            torrentRow(seededName) && torrentRow(seededName)->property("isPaused").toBool(), syncTimeoutMs);
    }

    void addATorrentByFile()
    {
        tap(waitFor("addTorrentButton"));
        QQuickItem *sheet = waitFor("addTorrentView");
        QVERIFY(sheet);
        QObject *model = sheet->property("viewModel").value<QObject *>();
        QVERIFY(model);
        tap(waitFor("segment1", waitFor("addModePicker", sheet)));
        // What the file dialog hands over when the user picks the file.
        model->setProperty("selectedFileURL", QUrl::fromLocalFile(m_addedFile));
        QCOMPARE(textOf(findShown(sheet, "fileLabel")), QStringLiteral("journey-added.torrent"));
        type(waitFor("savePathField", sheet), m_workDir + QStringLiteral("/added"));
        tap(waitFor("addButton", sheet));
        QTRY_VERIFY_WITH_TIMEOUT(gone("addTorrentView"), uiTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!torrentInfo(m_client, m_addedHash).isEmpty(), syncTimeoutMs);
        // The list shows it at its next synchronisation.
        QTRY_VERIFY_WITH_TIMEOUT(torrentRow(addedName), syncTimeoutMs);
    }

    void cleanupTestCase()
    {
        m_engine.reset();
        removeTorrents(m_client, {m_seededHash, m_addedHash});
    }
};

QTEST_MAIN(JourneyTest)
#include "tst_Journey.moc"
