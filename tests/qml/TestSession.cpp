#include "TestSession.h"

#include "support/Fixtures.h"

#include "KeychainPasswords.h"
#include "api/QBittorrentAPIClient.h"
#include "model/SyncRecords.h"
#include "model/Torrent.h"
#include "store/KeychainHelper.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentDetailViewModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <qcoro/qcorotask.h>

namespace {

const QString password = QStringLiteral("adminadmin");

// Paths answered with the recorded answers of a real server.
const std::pair<const char *, const char *> recorded[] = {
    {"/api/v2/app/version", "version.txt"},
    {"/api/v2/transfer/info", "transfer-info.json"},
    {"/api/v2/sync/maindata", "maindata-full.json"},
    {"/api/v2/torrents/categories", "categories.json"},
    {"/api/v2/torrents/tags", "tags.json"},
    {"/api/v2/torrents/files", "torrent-files.json"},
    {"/api/v2/torrents/trackers", "torrent-trackers.json"},
    {"/api/v2/sync/torrentPeers", "torrent-peers.json"},
};

} // namespace

TestSession::TestSession(QObject *parent) : QObject(parent), m_client(new QBittorrentAPIClient(this))
{
    reloginWithStoredPasswords(*m_client);
    m_server.emulateLogin(QStringLiteral("admin"), password, QByteArrayLiteral("qml-test-session"));
    for (const auto &[path, file] : recorded)
        m_server.on(QByteArray(path), TestResponse::text(fixture(QString::fromLatin1(file))));
    // Actions, uploads and limits: the server's plain acknowledgement.
    m_server.setFallback([](const RecordedRequest &request) {
        return request.method == "POST" ? TestResponse::text("Ok.") : TestResponse::withStatus(404);
    });
    try {
        QCoro::waitFor(m_client->login(m_server.serverConfig(), password));
    } catch (const std::exception &e) {
        qWarning("test session login failed: %s", e.what());
    }
}

QStringList TestSession::requestsTo(const QString &path) const
{
    QStringList bodies;
    for (const RecordedRequest &request : m_server.requestsTo(path.toUtf8()))
        bodies.append(QString::fromUtf8(request.body));
    return bodies;
}

QObject *TestSession::detailModel(const QString &hash)
{
    const SyncData sync = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
    Torrent torrent;
    for (const auto &[key, data] : sync.torrents.value_or(QList<std::pair<QString, TorrentData>>{}))
        torrent = key == hash ? Torrent::fromTorrentData(key, data).value_or(Torrent{}) : torrent;
    return new TorrentDetailViewModel(torrent, *m_client, this);
}

void TestSession::applyFixture(QObject *torrentListViewModel, const QString &fixtureName)
{
    if (auto *model = qobject_cast<TorrentListViewModel *>(torrentListViewModel))
        model->repository().apply(SyncData::fromJson(fixture(fixtureName)));
    else
        qWarning("applyFixture needs a TorrentListViewModel");
}

QVariantMap TestSession::servers() const
{
    QVariantMap ids;
    for (const ServerConfig &server : ServerRepository::shared().servers())
        ids.insert(server.name, server.accountName());
    return ids;
}

bool TestSession::forgetPassword(const QString &profileId)
{
    return QCoro::waitFor(KeychainHelper::shared().deletePassword(profileId));
}
