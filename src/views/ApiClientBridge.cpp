#include "ApiClientBridge.h"

#include "api/QBittorrentAPIClient.h"
#include "model/Log.h"

#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

namespace {

// A .torrent file is metadata only; anything larger than this was picked by mistake.
constexpr qint64 maxTorrentFileSize = 64 * 1024 * 1024;

QVariantMap failure(const QString &message)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), message}};
}

QVariantMap success()
{
    return {{QStringLiteral("ok"), true}, {QStringLiteral("error"), QString()}};
}

QString describe(const std::exception &e)
{
    if (const auto *appError = dynamic_cast<const AppError *>(&e)) {
        return appError->localizedDescription();
    }
    return QString::fromUtf8(e.what());
}

} // namespace

ApiClientBridge::ApiClientBridge(QObject *parent) : ApiClientBridge(QBittorrentAPIClient::shared(), parent) {}

ApiClientBridge::ApiClientBridge(QBittorrentAPIClient &client, QObject *parent)
    : QObject(parent), m_client(client)
{
    connect(&m_client, &QBittorrentAPIClient::isAuthenticatedChanged, this,
            &ApiClientBridge::isAuthenticatedChanged);
}

bool ApiClientBridge::isAuthenticated() const
{
    return m_client.isAuthenticated();
}

std::optional<QString> ApiClientBridge::optionalText(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        return std::nullopt;
    }
    return value.toString();
}

ApiClientBridge::FileRead ApiClientBridge::readTorrentFile(const QUrl &fileUrl, const QString &fileName)
{
    const QString shownName = fileName.isEmpty() ? fileUrl.fileName() : fileName;
    if (!fileUrl.isLocalFile()) {
        return {{}, QStringLiteral("无法读取文件“%1”：不是本地文件。").arg(shownName)};
    }
    QFile file(fileUrl.toLocalFile());
    const QFileInfo info(file);
    if (!info.exists()) {
        return {{}, QStringLiteral("无法读取文件“%1”：文件不存在。").arg(shownName)};
    }
    if (info.isDir()) {
        return {{}, QStringLiteral("无法读取文件“%1”：这是一个文件夹。").arg(shownName)};
    }
    if (info.size() > maxTorrentFileSize) {
        return {{}, QStringLiteral("无法读取文件“%1”：文件过大，不是种子文件。").arg(shownName)};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return {{}, QStringLiteral("无法读取文件“%1”：没有读取权限。").arg(shownName)};
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {{}, QStringLiteral("无法读取文件“%1”：读取失败。").arg(shownName)};
    }
    return {std::move(data), {}};
}

QCoro::QmlTask ApiClientBridge::getCategories(const QString &failurePrefix)
{
    return [](QBittorrentAPIClient &client, QString prefix) -> QCoro::Task<QVariant> {
        try {
            const QList<Category> categories = co_await client.getCategories();
            QVariantList list;
            for (const Category &category : categories) {
                list.append(QVariantMap{{QStringLiteral("name"), category.name},
                                        {QStringLiteral("savePath"), category.savePath}});
            }
            QVariantMap result = success();
            result.insert(QStringLiteral("categories"), list);
            co_return result;
        } catch (const std::exception &e) {
            const QString message = describe(e);
            if (!prefix.isEmpty()) {
                logLine(prefix + message);
            }
            QVariantMap result = failure(message);
            result.insert(QStringLiteral("categories"), QVariantList());
            co_return result;
        }
    }(m_client, failurePrefix);
}

QCoro::QmlTask ApiClientBridge::addTorrent(const QString &urls, const QVariant &savePath,
                                           const QVariant &category, const QVariant &tags)
{
    return [](QBittorrentAPIClient &client, QString urls, std::optional<QString> savePath,
              std::optional<QString> category, std::optional<QString> tags) -> QCoro::Task<QVariant> {
        try {
            co_await client.addTorrent(urls, savePath, category, tags);
            co_return success();
        } catch (const std::exception &e) {
            co_return failure(describe(e));
        }
    }(m_client, urls, optionalText(savePath), optionalText(category), optionalText(tags));
}

QCoro::QmlTask ApiClientBridge::addTorrentFile(const QUrl &fileUrl, const QString &fileName,
                                               const QVariant &savePath, const QVariant &category,
                                               const QVariant &tags)
{
    return [](QBittorrentAPIClient &client, FileRead file, QString fileName, std::optional<QString> savePath,
              std::optional<QString> category, std::optional<QString> tags) -> QCoro::Task<QVariant> {
        if (!file.error.isEmpty()) {
            co_return failure(file.error);
        }
        try {
            co_await client.addTorrentFile(fileName, file.data, savePath, category, tags);
            co_return success();
        } catch (const std::exception &e) {
            co_return failure(describe(e));
        }
    }(m_client, readTorrentFile(fileUrl, fileName), fileName, optionalText(savePath), optionalText(category),
                                                                            optionalText(tags));
}
