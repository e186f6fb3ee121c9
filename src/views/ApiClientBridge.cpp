#include "ApiClientBridge.h"

#include "api/QBittorrentAPIClient.h"
#include "model/Log.h"

#include <QVariantMap>

namespace {

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
