#pragma once

#include "model/AppError.h"
#include "model/TransferRecords.h"

#include <QObject>
#include <QTimer>
#include <QVariant>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

class QBittorrentAPIClient;

// Behind the statistics tab: transfer figures, the server state, the version and the
// categories; the two live figures refresh on a timer while the tab is shown.
//
// QML: transferInfo and serverState are maps with the record's field names (undefined while
// not loaded; absent fields are undefined); categories = [{name, savePath}].
class StatisticsViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant transferInfo READ transferInfoVariant NOTIFY transferInfoChanged)
    Q_PROPERTY(QVariant serverState READ serverStateVariant NOTIFY serverStateChanged)
    Q_PROPERTY(QVariant serverVersion READ serverVersionVariant NOTIFY serverVersionChanged)
    Q_PROPERTY(QVariantList categories READ categoriesVariant NOTIFY categoriesChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(bool hasError READ hasError NOTIFY errorChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged)

public:
    explicit StatisticsViewModel(QObject *parent = nullptr); // shared API client
    explicit StatisticsViewModel(QBittorrentAPIClient &apiClient, QObject *parent = nullptr);
    ~StatisticsViewModel() override;

    const std::optional<TransferInfo> &transferInfo() const { return m_transferInfo; }
    const std::optional<ServerState> &serverState() const { return m_serverState; }
    const std::optional<QString> &serverVersion() const { return m_serverVersion; }
    const QList<Category> &categories() const { return m_categories; }
    bool isLoading() const { return m_isLoading; }
    const ErrorPtr &error() const { return m_error; }
    bool hasRefreshTimer() const { return m_refreshTimer != nullptr; }

    Q_INVOKABLE void loadAll();
    Q_INVOKABLE void startAutoRefresh(double intervalSeconds);
    Q_INVOKABLE void stopAutoRefresh();
    QCoro::Task<void> setDownloadLimit(qint64 bytesPerSecond);
    QCoro::Task<void> setUploadLimit(qint64 bytesPerSecond);
    // From the limit sheet: KB/s text; an entry that is not a whole number, or whose value
    // times 1024 leaves the 64-bit range, is skipped. Returns whether it was accepted.
    Q_INVOKABLE bool applyDownloadLimitText(const QString &kilobytesPerSecond);
    Q_INVOKABLE bool applyUploadLimitText(const QString &kilobytesPerSecond);
    // The sheet's initial field texts ("0" below 1, else limit / 1024 rounded down).
    Q_INVOKABLE QString downloadLimitFieldText() const;
    Q_INVOKABLE QString uploadLimitFieldText() const;
    // "%.2f" of alltimeUL / alltimeDL; "∞" when downloaded < 1.
    Q_INVOKABLE QString shareRatioText() const;

Q_SIGNALS:
    void transferInfoChanged();
    void serverStateChanged();
    void serverVersionChanged();
    void categoriesChanged();
    void isLoadingChanged();
    void errorChanged();

private:
    QCoro::Task<void> loadTransferInfo();
    QCoro::Task<void> loadServerState();
    QCoro::Task<void> loadVersion();
    QCoro::Task<void> loadCategories();
    static void logFailure(const QString &prefix, const ErrorPtr &failure);
    // After a load: keeps the error, or the new value when it differs (then signals `changed`).
    template <typename Value>
    void settle(const ErrorPtr &failure, Value &member, Value value, void (StatisticsViewModel::*changed)());
    QVariant transferInfoVariant() const;
    QVariant serverStateVariant() const;
    QVariant serverVersionVariant() const;
    QVariantList categoriesVariant() const;
    bool hasError() const { return m_error != nullptr; }
    QString errorMessage() const;

    QBittorrentAPIClient &m_apiClient;
    std::optional<TransferInfo> m_transferInfo;
    std::optional<ServerState> m_serverState;
    std::optional<QString> m_serverVersion;
    QList<Category> m_categories;
    bool m_isLoading = false;
    ErrorPtr m_error;
    std::unique_ptr<QTimer> m_refreshTimer;
};
