// The presentation models against a real qbittorrent-nox (the e2e fixture), over a real profile
// database, the real credential store and a client of this test. The cases run in order and
// build on each other: save a profile and connect, list the server's torrents, set and reset a
// speed limit; last, look for the password and the session cookie in everything the run wrote.
#include "E2EServer.h"
#include "support/Bencode.h"
#include "support/LogCapture.h"

#include "api/APIVersionManager.h"
#include "api/SessionCookieJar.h"
#include "store/AppSettings.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/SettingsViewModel.h"
#include "viewmodels/StatisticsViewModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int waitMs = 15'000;
const QString profileName = QStringLiteral("e2e 视图模型");
const QString category = QStringLiteral("e2e-vm-cat");
const QString tag = QStringLiteral("e2e-vm-tag");

// Qt's own messages as well as the log lines: a secret must not leave through qWarning either.
QStringList qtMessages;
QtMessageHandler previousHandler = nullptr;

QByteArray describe(const ErrorPtr &error)
{
    return error ? error->debugDescription().toUtf8() : "(no error)";
}

bool hasCategory(const QList<Category> &categories)
{
    return std::any_of(categories.cbegin(), categories.cend(),
                       [](const Category &c) { return c.name == category; });
}

// "<file>: <what> (<form>)" for every byte form a leak of a secret could take in a file; empty
// when clean.
QStringList leaksIn(const QStringList &files, const QList<std::pair<QString, QString>> &secrets)
{
    QStringList leaks;
    for (const QString &path : files) {
        QFile file(path);
        const bool readable = file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        if (!readable)
            leaks.append(path + QStringLiteral(": unreadable, so not checked"));
        for (const auto &[what, text] : secrets) {
            const QList<std::pair<const char *, QByteArray>> forms{
                {"UTF-8", text.toUtf8()},
                {"UTF-16LE", QStringEncoder(QStringConverter::Utf16LE)(text)},
                {"UTF-16BE", QStringEncoder(QStringConverter::Utf16BE)(text)},
                {"Base64", text.toUtf8().toBase64(QByteArray::OmitTrailingEquals)}};
            for (const auto &[encoding, form] : forms)
                if (bytes.contains(form))
                    leaks.append(
                        QStringLiteral("%1: holds %2 (%3)").arg(path, what, QLatin1String(encoding)));
        }
    }
    return leaks;
}

} // namespace

class ViewModelsE2ETest : public QObject
{
    Q_OBJECT

    std::unique_ptr<LogCapture> m_log; // created first and kept to the end: every line of the run
    E2EServer m_server;
    QString m_workDir;
    QTemporaryDir m_tempDir;
    QString m_databasePath = m_tempDir.filePath(QStringLiteral("store/") + PersistenceController::fileName);
    QString m_iniPath = m_tempDir.filePath(QStringLiteral("settings.ini"));

    KeychainHelper m_keychain{QStringLiteral("app.seedwhirl.Seedwhirl.e2e-viewmodels")};
    APIVersionManager m_versions;
    QBittorrentAPIClient m_client{m_versions};
    std::unique_ptr<PersistenceController> m_persistence;
    std::unique_ptr<ServerRepository> m_repository;
    std::unique_ptr<SettingsViewModel> m_settingsModel;
    std::unique_ptr<AppSettings> m_appSettings;
    std::unique_ptr<TorrentListViewModel> m_listModel;

    QStringList m_accounts; // credential-store entries to remove at the end
    QStringList m_hashes;   // this test's torrents
    QString m_sessionCookie;

    // A role of that torrent's row in the list as shown (the row model QML reads).
    QVariant shown(const QString &hash, TorrentListModel::Role role) const
    {
        TorrentListModel *rows = m_listModel->filteredTorrentsModel();
        const int row = rows->indexOf(hash);
        return row < 0 ? QVariant(QStringLiteral("(not shown)")) : rows->data(rows->index(row), role);
    }

    // The files this run wrote and that must hold no secret: the profile database with its
    // journal files, the preference file, and everything under the locations Qt hands out (the
    // application's own lie below the generic ones).
    QStringList writtenFiles() const
    {
        QStringList files;
        const QStringList roots{m_tempDir.path(),
                                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                                QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)};
        for (const QString &root : roots)
            for (QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System,
                                 QDirIterator::Subdirectories);
                 it.hasNext();)
                files.append(it.next());
        return files;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_log = std::make_unique<LogCapture>();
        previousHandler = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                qtMessages.append(message);
                if (previousHandler)
                    previousHandler(type, context, message);
            });
        QStandardPaths::setTestModeEnabled(true);
        E2E_TRY(m_server = E2EServer::fromEnvironment();
                m_workDir = m_server.freshDirectory(QStringLiteral("view-models")));
        QVERIFY(m_tempDir.isValid());

        m_client.setPasswordProvider(
            [this](QString account) { return m_keychain.getPassword(std::move(account)); });
        m_persistence = std::make_unique<PersistenceController>(m_databasePath);
        const std::optional<QString> openError = m_persistence->open();
        QVERIFY2(!openError, qPrintable(openError.value_or(QString())));
        m_repository = std::make_unique<ServerRepository>(*m_persistence, m_keychain);
        m_settingsModel = std::make_unique<SettingsViewModel>(*m_repository, m_client);
        QVERIFY(m_settingsModel->servers().isEmpty());
    }

    void cleanupTestCase()
    {
        m_listModel.reset();
        removeTorrents(m_client, m_hashes);
        for (const QString &account : std::as_const(m_accounts))
            runTask(m_keychain.deletePassword(account));
        qInstallMessageHandler(previousHandler);
        m_log.reset();
    }

    void saveProfileAndConnect()
    {
        // A first profile that is never connected: it becomes the active one on saving, and the
        // real one takes its place on connecting.
        m_settingsModel->addServer(QStringLiteral("e2e-decoy"), QStringLiteral("127.0.0.1"), 1,
                                   m_server.username, QStringLiteral("decoy password"), false);
        QVERIFY(pollUntil([&] { return m_settingsModel->servers().size() == 1; }, waitMs));
        m_accounts.append(m_settingsModel->servers().first().accountName());
        QCOMPARE(m_settingsModel->activeServer()->name, QStringLiteral("e2e-decoy"));

        m_settingsModel->addServer(profileName, m_server.host, m_server.port, m_server.username,
                                   m_server.password, false);
        QVERIFY(pollUntil([&] { return m_settingsModel->servers().size() == 2; }, waitMs));
        QVERIFY2(m_log->startingWith(QStringLiteral("❌")).isEmpty(), qPrintable(m_log->lines().join('\n')));
        const ServerConfig saved = m_settingsModel->servers().first(); // newest first
        m_accounts.append(saved.accountName());
        QVERIFY(saved.name == profileName && !saved.isActive);

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        AWAIT_OK(runTask(m_settingsModel->connectToServer(saved)));
        QVERIFY2(!m_settingsModel->error(), describe(m_settingsModel->error()).constData());
        QCOMPARE(m_client.currentServer()->id, saved.id);
        QCOMPARE(m_settingsModel->serverVersion(), std::optional<QString>(QStringLiteral("v4.5.2")));

        // The connected profile is the only active one, with the time of the connection.
        const ServerConfig active = m_settingsModel->activeServer().value_or(ServerConfig());
        QCOMPARE(active.id, saved.id);
        QVERIFY(active.lastConnectedAt >= before &&
                active.lastConnectedAt <= QDateTime::currentDateTime().addSecs(1));
        QCOMPARE(std::count_if(m_settingsModel->servers().cbegin(), m_settingsModel->servers().cend(),
                               [](const ServerConfig &server) { return server.isActive; }),
                 1);
        const auto shownProfile = m_settingsModel->property("activeServer").value<ServerProfile>();
        QVERIFY(shownProfile.serverId == saved.accountName() &&
                shownProfile.lastConnectedText != QStringLiteral("从未连接"));

        for (const QNetworkCookie &cookie : m_client.cookieJar().cookies())
            if (cookie.name() == "SID")
                m_sessionCookie = QString::fromLatin1(cookie.value());
        QVERIFY(m_sessionCookie.size() >= 16);
    }

    void listShowsServerTorrents()
    {
        // Two small torrents over data that is already there, so they seed at once.
        const QStringList files{QStringLiteral("vm-alpha.bin"), QStringLiteral("vm-beta.bin")};
        for (const QString &name : files)
            E2E_TRY(writeDataFile(m_workDir + QLatin1Char('/') + name, 20'000 + 28'000 * m_hashes.size(),
                                  quint32(100 + m_hashes.size()));
                    m_hashes.append(
                        addTorrentOf(m_client, m_workDir + QLatin1Char('/') + name, {}, category, tag)));

        // A quick refresh interval (written to the preference file) keeps the polls short.
        m_appSettings = std::make_unique<AppSettings>(m_iniPath);
        m_appSettings->setRefreshInterval(0.5);
        m_appSettings->sync();
        m_listModel = std::make_unique<TorrentListViewModel>(
            std::make_unique<TorrentRepository>(m_client, *m_appSettings), *m_appSettings);
        m_listModel->setActive(true);
        QVERIFY(m_listModel->repository().hasRefreshTimer());
        QCOMPARE(m_listModel->repository().refreshTimerInterval(), 500);

        const auto seeding = [&](const QString &hash) {
            const QString state = shown(hash, TorrentListModel::TorrentStateRole).toString();
            return state == u"stalledUP" || state == u"uploading" || state == u"queuedUP";
        };
        QVERIFY2(pollUntil([&] { return std::all_of(m_hashes.cbegin(), m_hashes.cend(), seeding); }, waitMs),
                 describe(m_listModel->error()).constData());
        QVERIFY(!m_listModel->error());
        for (qsizetype i = 0; i < files.size(); ++i) {
            QCOMPARE(shown(m_hashes[i], TorrentListModel::NameRole).toString(), files[i]);
            QCOMPARE(QDir::cleanPath(shown(m_hashes[i], TorrentListModel::SavePathRole).toString()),
                     m_workDir);
        }
        QVERIFY(m_listModel->torrentCountForCategory(category) == 2 &&
                m_listModel->torrentCountForTag(tag) == 2);
        QVERIFY(pollUntil(
            [&] { return m_listModel->tags().contains(tag) && hasCategory(m_listModel->categoryList()); },
            waitMs));
    }

    void statisticsAndLimits()
    {
        StatisticsViewModel statistics(m_client);
        statistics.loadAll();
        QVERIFY(pollUntil(
            [&] {
                return statistics.transferInfo() && statistics.serverState() && statistics.serverVersion() &&
                       !statistics.isLoading();
            },
            waitMs));
        QVERIFY2(!statistics.error(), describe(statistics.error()).constData());
        QCOMPARE(statistics.transferInfo()->dhtNodes, qint64(0)); // DHT is off on the test server
        QVERIFY(statistics.serverState()->freeSpaceOnDisk.value_or(0) > 0 &&
                hasCategory(statistics.categories()));

        // From the limit sheet (KB/s), and back to none; the figures follow the server.
        QVERIFY(statistics.applyDownloadLimitText(QStringLiteral("300")));
        QVERIFY(pollUntil([&] { return statistics.transferInfo()->dlRateLimit == 300 * 1024; }, waitMs));
        QCOMPARE(statistics.property("transferInfo").value<TransferFigures>().dlRateLimit, 300 * 1024);
        QCOMPARE(statistics.downloadLimitFieldText(), QStringLiteral("300"));
        QVERIFY(statistics.applyDownloadLimitText(QStringLiteral("0")));
        QVERIFY(pollUntil([&] { return statistics.transferInfo()->dlRateLimit == 0; }, waitMs));
        QVERIFY2(!statistics.error(), describe(statistics.error()).constData());
    }

    // Last: neither the password nor the session cookie went anywhere they could be read.
    void secretsStayInside()
    {
        QVERIFY(!m_server.password.isEmpty() && !m_sessionCookie.isEmpty());
        const QList<std::pair<QString, QString>> secrets{
            {QStringLiteral("the password"), m_server.password},
            {QStringLiteral("the session cookie"), m_sessionCookie}};
        QVERIFY(!m_log->lines().isEmpty());
        for (const QString &line : m_log->lines() + qtMessages)
            for (const auto &[what, text] : secrets)
                QVERIFY2(!line.contains(text),
                         qPrintable(QStringLiteral("a log line holds %1: %2")
                                        .arg(what, QString(line).replace(text, QStringLiteral("<…>")))));

        // The profile database while open (its journal files included), then once closed. The
        // search reads what was written: the profile's name is there, in the file or its journal.
        QStringList files = writtenFiles();
        QVERIFY2(files.contains(m_databasePath) && files.contains(m_iniPath), qPrintable(files.join('\n')));
        QVERIFY2(leaksIn(files, secrets).isEmpty(), qPrintable(leaksIn(files, secrets).join('\n')));
        QVERIFY2(!leaksIn(files.filter(m_databasePath), {{QString(), profileName}}).isEmpty(),
                 "the profile's name is in no database file");

        m_listModel.reset();
        m_appSettings.reset();
        m_settingsModel.reset();
        m_repository.reset();
        m_persistence.reset();
        files = writtenFiles();
        QVERIFY(files.contains(m_databasePath));
        QVERIFY2(leaksIn(files, secrets).isEmpty(), qPrintable(leaksIn(files, secrets).join('\n')));
    }
};

QTEST_GUILESS_MAIN(ViewModelsE2ETest)
#include "tst_ViewModelsE2E.moc"
