// A user's first session with the application, through its own Main.qml against the fixture's
// qbittorrent-nox: add a server in the form, connect, see the torrent list, open a torrent's
// detail, pause it by its swipe action, and add a torrent from a file. Screens are driven by
// taps, drags and typed text on their objectName'd items; only the file dialog is stood in for,
// by handing the add sheet the file it would have chosen.
#include "E2EServer.h"
#include "support/Bencode.h"
#include "support/TaskRunner.h"

#include "UiSetup.h"

#include "api/APIEndpoint.h"
#include "api/QBittorrentAPIClient.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <functional>
#include <memory>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

namespace {

constexpr int uiTimeoutMs = 15'000;
constexpr int syncTimeoutMs = 40'000;
const QString profileName = QStringLiteral("journey-server");
const QString seededName = QStringLiteral("journey-seeded.bin");
const QString addedName = QStringLiteral("journey-added.bin");

bool isShown(const QQuickItem *item)
{
    return item && item->isVisible() && item->isEnabled() && item->width() > 0 && item->height() > 0;
}

// Every object below `root`, through both the object tree and the visual tree (popups and
// delegates hang off one or the other), that has that objectName and passes `accept`.
QList<QObject *> findAll(QObject *root, const QString &name,
                         const std::function<bool(QObject *)> &accept = {})
{
    QList<QObject *> found;
    QSet<QObject *> seen;
    QList<QObject *> pending{root};
    while (!pending.isEmpty()) {
        QObject *object = pending.takeFirst();
        if (!object || seen.contains(object))
            continue;
        seen.insert(object);
        if (object->objectName() == name && (!accept || accept(object)))
            found.append(object);
        pending.append(object->children());
        if (auto *item = qobject_cast<QQuickItem *>(object)) {
            for (QQuickItem *child : item->childItems())
                pending.append(child);
        }
    }
    return found;
}

QQuickItem *findShown(QObject *root, const QString &name,
                      const std::function<bool(QQuickItem *)> &accept = {})
{
    const QList<QObject *> all = findAll(root, name, [&](QObject *object) {
        auto *item = qobject_cast<QQuickItem *>(object);
        return isShown(item) && (!accept || accept(item));
    });
    return all.isEmpty() ? nullptr : qobject_cast<QQuickItem *>(all.first());
}

} // namespace

class JourneyTest : public QObject
{
    Q_OBJECT

    E2EServer m_server;
    ServerConfig m_config;
    KeychainHelper m_keychain{QStringLiteral("app.seedwhirl.Seedwhirl.e2e-journey")};
    std::unique_ptr<QBittorrentAPIClient> m_client; // the test's own view of the server
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
    QString m_workDir;
    QString m_seededHash;
    QString m_addedHash;
    QString m_addedFile;
    QElapsedTimer m_clock;

    // Waits (bounded) until an item of that name is shown below `root` (the window by
    // default); null when none came, and the tap or check that follows fails on it.
    QQuickItem *waitFor(const QString &name, QObject *root = nullptr,
                        const std::function<bool(QQuickItem *)> &accept = {}, int timeoutMs = uiTimeoutMs)
    {
        QObject *from = root ? root : m_window->contentItem();
        QQuickItem *item = nullptr;
        QElapsedTimer waited;
        waited.start();
        while (!(item = findShown(from, name, accept)) && waited.elapsed() < timeoutMs)
            QTest::qWait(50);
        if (!item)
            qWarning("no shown item \"%s\" within %d ms", qPrintable(name), timeoutMs);
        return item;
    }

    // A tap in the middle of an item once the window has laid it out.
    void tap(QQuickItem *item)
    {
        QVERIFY(item);
        QVERIFY(QQuickTest::qWaitForPolish(m_window));
        const QPoint at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
        QTest::mouseClick(m_window, Qt::LeftButton, {}, at);
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
        QCOMPARE(field->property("text").toString(), text);
    }

    QQuickItem *torrentRow(const QString &name)
    {
        QQuickItem *list = findShown(m_window->contentItem(), QStringLiteral("torrentList"));
        if (!list)
            return nullptr;
        QMetaObject::invokeMethod(list, "forceLayout");
        for (QQuickItem *row :
             qobject_cast<QQuickItem *>(list->property("contentItem").value<QObject *>())->childItems())
            if (row->property("name").toString() == name && isShown(row))
                return row;
        return nullptr;
    }

    QString stateOnServer(const QString &hash)
    {
        const auto outcome = runTask(m_client->fetch(APIEndpoint::torrentInfo(), m_config, true));
        if (!outcome.ok())
            return QStringLiteral("(fetch failed)");
        for (const QJsonValue &item : QJsonDocument::fromJson(*outcome.value).array())
            if (item[QStringLiteral("hash")].toString() == hash)
                return item[QStringLiteral("state")].toString();
        return QStringLiteral("(not listed)");
    }

private slots:
    void initTestCase()
    {
        m_clock.start();
        try {
            m_server = E2EServer::fromEnvironment();
            m_workDir = m_server.freshDirectory(QStringLiteral("journey"));
            // One torrent already on the server, over complete data, for the list to show.
            const QString seededData = m_workDir + QStringLiteral("/seeded/") + seededName;
            writeDataFile(seededData, 96 * 1024, 71);
            const MadeTorrent seeded = makeTorrent(seededData);
            m_seededHash = seeded.infoHash;
            // The file the add sheet will send; its data is not on the server.
            const QString addedData = m_workDir + QStringLiteral("/source/") + addedName;
            writeDataFile(addedData, 64 * 1024, 72);
            m_addedFile = m_workDir + QStringLiteral("/source/journey-added.torrent");
            m_addedHash = writeTorrentFile(addedData, m_addedFile).infoHash;

            m_config = m_server.serverConfig(QStringLiteral("journey-check"));
            m_client = std::make_unique<QBittorrentAPIClient>();
            m_client->setPasswordProvider(
                [this](QString account) { return m_keychain.getPassword(std::move(account)); });
            const auto login = runTask(m_client->login(m_config, m_server.password));
            QVERIFY2(login.ok(), "the test's own client cannot log in");
            const auto added =
                runTask(m_client->addTorrentFile(seededName + QStringLiteral(".torrent"), seeded.bytes,
                                                 m_workDir + QStringLiteral("/seeded")));
            QVERIFY2(added.ok(), "cannot seed the server with a torrent");
        } catch (const std::exception &error) {
            QFAIL(error.what());
        }
        QTRY_VERIFY_WITH_TIMEOUT(stateOnServer(m_seededHash) != QStringLiteral("(not listed)"),
                                 syncTimeoutMs);

        // The application as main.cpp starts it, on a profile store of its own.
        QStandardPaths::setTestModeEnabled(true);
        QFile::remove(PersistenceController::defaultFilePath());
        if (const auto failure = PersistenceController::openShared())
            QFAIL(qPrintable(*failure));
        applyApplicationStyle();
        m_engine = std::make_unique<QQmlApplicationEngine>();
        prepareQmlEngine(*m_engine);
        m_engine->load(QUrl(QStringLiteral("qrc:/qt/qml/Seedwhirl/qml/Main.qml")));
        QVERIFY(!m_engine->rootObjects().isEmpty());
        m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().constFirst());
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void addServerInTheForm()
    {
        tap(waitFor(QStringLiteral("addFirstServerButton")));
        QQuickItem *form = waitFor(QStringLiteral("addServerView"));
        QVERIFY(form);
        type(waitFor(QStringLiteral("nameField"), form), profileName);
        type(waitFor(QStringLiteral("hostField"), form), m_server.host);
        type(waitFor(QStringLiteral("portField"), form), QString::number(m_server.port));
        type(waitFor(QStringLiteral("usernameField"), form), m_server.username);
        type(waitFor(QStringLiteral("passwordField"), form), m_server.password);
        QQuickItem *test = waitFor(QStringLiteral("testButton"), form);
        tap(test);
        QQuickItem *result = waitFor(QStringLiteral("testResultText"), form);
        QTRY_COMPARE_WITH_TIMEOUT(result->property("text").toString(), QStringLiteral("✓ 连接成功"),
                                  uiTimeoutMs);
        tap(waitFor(QStringLiteral("saveButton"), form));
        QTRY_VERIFY_WITH_TIMEOUT(!findShown(m_window->contentItem(), QStringLiteral("addServerView")),
                                 uiTimeoutMs);
    }

    void connectFromTheWelcomeScreen()
    {
        const auto isOurs = [](QQuickItem *row) {
            const QList<QObject *> names = findAll(row, QStringLiteral("serverName"));
            return !names.isEmpty() && names.first()->property("text").toString() == profileName;
        };
        tap(waitFor(QStringLiteral("welcomeServerRow"), nullptr, isOurs));
        QVERIFY(waitFor(QStringLiteral("mainTabs")));
        QVERIFY(waitFor(QStringLiteral("torrentListView")));
    }

    void theListShowsTheServersTorrent()
    {
        QTRY_VERIFY_WITH_TIMEOUT(torrentRow(seededName), syncTimeoutMs);
        QQuickItem *row = torrentRow(seededName);
        QTRY_VERIFY_WITH_TIMEOUT(!row->property("isPaused").toBool(), syncTimeoutMs);
    }

    void openTheTorrentsDetail()
    {
        tap(torrentRow(seededName));
        QQuickItem *detail = waitFor(QStringLiteral("torrentDetailView"));
        QVERIFY(detail);
        // The page slides in; its back button is only where a tap finds it once it has settled.
        QQuickItem *stack = detail->parentItem();
        QVERIFY(stack);
        QTRY_VERIFY_WITH_TIMEOUT(!stack->property("busy").toBool(), uiTimeoutMs);
        QCOMPARE(findShown(detail, QStringLiteral("navTitle"))->property("text").toString(),
                 QStringLiteral("详情"));
        QObject *model = detail->property("viewModel").value<QObject *>();
        QVERIFY(model);
        const auto *info = qobject_cast<QAbstractItemModel *>(model->property("info").value<QObject *>());
        QVERIFY(info && info->rowCount() > 0);
        QCOMPARE(info->index(0, 0).data(Qt::DisplayRole).toString(), seededName);
        tap(waitFor(QStringLiteral("backButton"), detail));
        QTRY_VERIFY_WITH_TIMEOUT(!findShown(m_window->contentItem(), QStringLiteral("torrentDetailView")),
                                 uiTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!stack->property("busy").toBool(), uiTimeoutMs);
    }

    void pauseByTheSwipeAction()
    {
        QQuickItem *row = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((row = torrentRow(seededName)) != nullptr, uiTimeoutMs);
        QVERIFY(QQuickTest::qWaitForPolish(m_window));
        // A drag from the right edge towards the left reveals the trailing actions.
        const int y = int(row->height() / 2);
        QPoint at = row->mapToScene(QPointF(row->width() - 20, y)).toPoint();
        QTest::mousePress(m_window, Qt::LeftButton, {}, at);
        for (int step = 0; step < 16; ++step) {
            at.rx() -= 20;
            QTest::mouseMove(m_window, at, 10);
        }
        QTest::mouseRelease(m_window, Qt::LeftButton, {}, at, 10);
        QObject *swipe = row->property("swipe").value<QObject *>();
        QVERIFY(swipe);
        QTRY_COMPARE_WITH_TIMEOUT(swipe->property("position").toReal(), -1.0, uiTimeoutMs);
        QQuickItem *action = waitFor(QStringLiteral("swipePauseResume"), row);
        QCOMPARE(action->property("text").toString(), QStringLiteral("暂停"));
        tap(action);
        QTRY_VERIFY_WITH_TIMEOUT(stateOnServer(m_seededHash).startsWith(QStringLiteral("paused")) ||
                                     stateOnServer(m_seededHash).startsWith(QStringLiteral("stopped")),
                                 syncTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(
            torrentRow(seededName) && torrentRow(seededName)->property("isPaused").toBool(), syncTimeoutMs);
    }

    void addATorrentByFile()
    {
        tap(waitFor(QStringLiteral("addTorrentButton")));
        QQuickItem *sheet = waitFor(QStringLiteral("addTorrentView"));
        QVERIFY(sheet);
        QObject *model = sheet->property("viewModel").value<QObject *>();
        QVERIFY(model);
        tap(waitFor(QStringLiteral("segment1"), waitFor(QStringLiteral("addModePicker"), sheet)));
        QTRY_COMPARE(model->property("addMode").toInt(), 1);
        QVERIFY(waitFor(QStringLiteral("chooseFileButton"), sheet));
        // What the file dialog hands over when the user picks the file.
        model->setProperty("selectedFileURL", QUrl::fromLocalFile(m_addedFile));
        QCOMPARE(findShown(sheet, QStringLiteral("fileLabel"))->property("text").toString(),
                 QStringLiteral("journey-added.torrent"));
        const QString savePath = m_workDir + QStringLiteral("/added");
        type(waitFor(QStringLiteral("savePathField"), sheet), savePath);
        tap(waitFor(QStringLiteral("addButton"), sheet));
        QTRY_VERIFY_WITH_TIMEOUT(!findShown(m_window->contentItem(), QStringLiteral("addTorrentView")),
                                 uiTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(stateOnServer(m_addedHash) != QStringLiteral("(not listed)"), syncTimeoutMs);
        // The list shows it at its next synchronisation.
        QTRY_VERIFY_WITH_TIMEOUT(torrentRow(addedName), syncTimeoutMs);
    }

    void cleanupTestCase()
    {
        m_engine.reset();
        if (m_client && m_client->isAuthenticated()) {
            for (const QString &hash : {m_seededHash, m_addedHash})
                if (!hash.isEmpty())
                    runTask(m_client->performAction(APIEndpoint::deleteTorrents(hash, true)));
            runTask(m_keychain.deletePassword(m_config.accountName()));
        }
        qInfo("journey took %lld ms", static_cast<long long>(m_clock.elapsed()));
    }
};

QTEST_MAIN(JourneyTest)
#include "tst_Journey.moc"
