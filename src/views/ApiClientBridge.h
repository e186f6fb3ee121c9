#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <qcoro/qcoroqmltask.h>

class QBittorrentAPIClient;

// `ApiClient` in QML: the shared API client as the shell and the settings screen need it —
// whether it is logged in, and the category list. A call resolves to a map instead of throwing,
// so a screen only reads {ok, error, ...}.
class ApiClientBridge : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(ApiClient)
    QML_SINGLETON
    Q_PROPERTY(bool isAuthenticated READ isAuthenticated NOTIFY isAuthenticatedChanged)

public:
    explicit ApiClientBridge(QObject *parent = nullptr); // the shared client
    explicit ApiClientBridge(QBittorrentAPIClient &client, QObject *parent = nullptr);

    bool isAuthenticated() const;

    // Resolves to {ok, categories: [{name, savePath}], error}. When `failurePrefix` is not empty a
    // failure is also logged as the prefix followed by the error's description.
    Q_INVOKABLE QCoro::QmlTask getCategories(const QString &failurePrefix = {});

Q_SIGNALS:
    void isAuthenticatedChanged();

private:
    QBittorrentAPIClient &m_client;
};
