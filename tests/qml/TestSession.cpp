// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSession.h"

#include "support/Fixtures.h"

#include "KeychainPasswords.h"
#include "LinkInbox.h"
#include "api/CertificateError.h"
#include "api/QBittorrentAPIClient.h"
#include "model/SyncRecords.h"
#include "model/Torrent.h"
#include "store/AppSettings.h"
#include "store/KeychainHelper.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentDetailViewModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QFile>

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

QSslCertificate sampleCertificate()
{
    QFile file(QStringLiteral(SEEDWHIRL_SAMPLE_CERTIFICATE));
    return file.open(QIODevice::ReadOnly) ? QSslCertificate(file.readAll()) : QSslCertificate();
}

const ServerConfig *savedProfile(const QString &id)
{
    for (const ServerConfig &server : ServerRepository::shared().servers())
        if (server.accountName() == id)
            return &server;
    return nullptr;
}

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

bool TestSession::claimInstance()
{
    return LinkInbox::shared().isClaimed() || (!LinkInbox::shared().handOverOrClaim({}) && LinkInbox::shared().isClaimed());
}

void TestSession::startSecondInstance(const QStringList &arguments)
{
    m_secondInstance = new QProcess(this);
    m_secondInstance->setProcessChannelMode(QProcess::ForwardedChannels);
    m_secondInstance->start(QStringLiteral(SEEDWHIRL_APP_BINARY), arguments);
}

int TestSession::secondInstanceExitCode() const
{
    if (!m_secondInstance || m_secondInstance->state() != QProcess::NotRunning)
        return -1;
    return m_secondInstance->exitStatus() == QProcess::NormalExit ? m_secondInstance->exitCode() : 99;
}

QObject *TestSession::listModel()
{
    return new TorrentListViewModel(TorrentRepository::shared(*m_client), AppSettings::shared(), this);
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

QString TestSession::savePinnedProfile(const QString &name)
{
    ServerConfig server =
        ServerConfig::create(name, QStringLiteral("127.0.0.1"), 1, QStringLiteral("admin"), true);
    server.certificateTrust = CertificateTrust::pinned;
    server.pinnedCertificate = sampleCertificate().toDer();
    server.pinnedFingerprint = CertificateError::fingerprint(sampleCertificate());
    QCoro::waitFor(ServerRepository::shared().addServer(server, password));
    return server.accountName();
}

void TestSession::rejectCertificate(const QString &profileId, const QString &kind,
                                    const QString &pinnedFingerprint)
{
    using Kind = CertificateError::Kind;
    using E = QSslError;
    static const QMap<QString, std::pair<Kind, E::SslError>> kinds{
        {"untrusted", {Kind::untrusted, E::SelfSignedCertificate}},
        {"changed", {Kind::changed, E::SelfSignedCertificate}},
        {"expired", {Kind::expired, E::CertificateExpired}},
        {"hostNameMismatch", {Kind::hostNameMismatch, E::HostNameMismatch}}};
    const ServerConfig *server = savedProfile(profileId);
    if (!server || !kinds.contains(kind))
        return qWarning("no profile %s or kind %s", qPrintable(profileId), qPrintable(kind));
    const auto [errorKind, sslError] = kinds.value(kind);
    Q_EMIT m_client->certificateRejected(
        *server, std::make_shared<const CertificateError>(errorKind, sampleCertificate(),
                                                          server->host + u':' + QString::number(server->port),
                                                          QList<E::SslError>{sslError}, pinnedFingerprint));
}

QString TestSession::pinnedFingerprint(const QString &profileId) const
{
    const ServerConfig *server = savedProfile(profileId);
    return server && server->certificateTrust == CertificateTrust::pinned ? server->pinnedFingerprint
                                                                          : QString();
}

QUrl TestSession::folderWith(const QStringList &names)
{
    for (const QString &name : names) {
        QFile file(m_files.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
    return QUrl::fromLocalFile(m_files.path());
}
