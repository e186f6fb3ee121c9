#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <qcoro/qcoroqmltask.h>

#include <optional>

class QBittorrentAPIClient;

// `ApiClient` in QML: the shared API client as the shell and two screens need it — whether it
// is logged in, the category list, and adding torrents. Every call resolves to a map instead
// of throwing, so a screen only reads {ok, error, ...}.
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
    // The optional fields: undefined or null = absent, any string (even empty) = sent.
    // Resolve to {ok, error}.
    Q_INVOKABLE QCoro::QmlTask addTorrent(const QString &urls, const QVariant &savePath,
                                          const QVariant &category, const QVariant &tags);
    // Reads the whole file first; a file that cannot be read fails like a request.
    Q_INVOKABLE QCoro::QmlTask addTorrentFile(const QUrl &fileUrl, const QString &fileName,
                                              const QVariant &savePath, const QVariant &category,
                                              const QVariant &tags);

    // undefined/null -> absent; anything else -> its text.
    static std::optional<QString> optionalText(const QVariant &value);
    // The bytes of a torrent file, or a description of why it cannot be read.
    struct FileRead
    {
        QByteArray data;
        QString error; // empty on success
    };
    static FileRead readTorrentFile(const QUrl &fileUrl, const QString &fileName);

Q_SIGNALS:
    void isAuthenticatedChanged();

private:
    QBittorrentAPIClient &m_client;
};
