// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "KeychainHelper.h"

#include "Logging.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <qcoro/qcorosignal.h>
#include <qt6keychain/keychain.h>

#include <memory>

namespace {

// Jobs are owned here, not auto-deleted: QCoro delivers `finished` through a queued call, and an
// auto-deleted job could be gone before that call arrives, leaving the coroutine suspended for
// ever. deleteLater also keeps the job alive until its own signal emission has unwound.
struct DeleteLater
{
    void operator()(QObject *object) const { object->deleteLater(); }
};

template <typename JobType> using JobPtr = std::unique_ptr<JobType, DeleteLater>;

template <typename JobType> JobPtr<JobType> makeJob(const QString &service, const QString &account)
{
    JobPtr<JobType> job(new JobType(service));
    job->setAutoDelete(false);
    job->setInsecureFallback(false);
    job->setKey(account);
    return job;
}

// Runs a job to its end and returns its error code.
template <typename JobType> QCoro::Task<QKeychain::Error> runJob(JobType *job)
{
    job->start();
    co_await qCoro(static_cast<QKeychain::Job *>(job), &QKeychain::Job::finished);
    // The account names the profile and the kind of secret; the secret itself never appears.
    qCDebug(lcStore).noquote() << job->metaObject()->className() << job->key() << "->" << int(job->error())
                               << job->errorString();
    co_return job->error();
}

} // namespace

QString KeychainError::localizedDescription() const
{
    return (m_kind == Kind::saveFailed ? QCoreApplication::translate("KeychainError", "保存密码失败: %1")
                                       : QCoreApplication::translate("KeychainError", "删除密码失败: %1"))
        .arg(m_status);
}

KeychainHelper::KeychainHelper(QString service) : m_service(std::move(service)) {}

KeychainHelper &KeychainHelper::shared()
{
    static KeychainHelper instance;
    return instance;
}

QCoro::Task<void> KeychainHelper::savePassword(QString password, QString account)
{
    // The write replaces an existing entry of the account by itself. Nothing is deleted first:
    // a write that then fails would leave the account without any password.
    auto job = makeJob<QKeychain::WritePasswordJob>(m_service, account);
    // Binary data keeps an empty password an empty (present) secret.
    job->setBinaryData(password.toUtf8());
    const QKeychain::Error status = co_await runJob(job.get());
    if (status != QKeychain::NoError)
        throw KeychainError(KeychainError::Kind::saveFailed, qint32(status));
}

QCoro::Task<std::optional<QString>> KeychainHelper::getPassword(QString account)
{
    auto job = makeJob<QKeychain::ReadPasswordJob>(m_service, account);
    const QKeychain::Error status = co_await runJob(job.get());
    if (status != QKeychain::NoError)
        co_return std::nullopt;

    const QByteArray bytes = job->binaryData();
    // A leading byte order mark is part of the password, not an encoding hint.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        co_return std::nullopt;
    if (text.isNull())
        text = QStringLiteral(""); // present but empty
    co_return text;
}

QCoro::Task<bool> KeychainHelper::deletePassword(QString account)
{
    auto job = makeJob<QKeychain::DeletePasswordJob>(m_service, account);
    const QKeychain::Error status = co_await runJob(job.get());
    co_return status == QKeychain::NoError || status == QKeychain::EntryNotFound;
}
