// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "CategoryListModel.h"
#include "StatisticsFigures.h"
#include "model/AppError.h"
#include "model/SpeedHistory.h"
#include "model/TransferRecords.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

class QBittorrentAPIClient;
class TorrentRepository;

// Behind the statistics tab: transfer figures, the server state, the version and the
// categories; the two live figures refresh on a timer while the tab is shown.
class StatisticsViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(TransferFigures transferInfo READ transferFigures NOTIFY transferInfoChanged)
    Q_PROPERTY(ServerFigures serverState READ serverFigures NOTIFY serverStateChanged)
    // The rates of the last ten minutes for the chart: x in seconds before the newest sample
    // (0 to -600), y in bytes per second; the peak of both, at least 1.
    Q_PROPERTY(QVariantList downloadHistory READ downloadHistory NOTIFY speedHistoryChanged)
    Q_PROPERTY(QVariantList uploadHistory READ uploadHistory NOTIFY speedHistoryChanged)
    Q_PROPERTY(double historyPeak READ historyPeak NOTIFY speedHistoryChanged)
    // Empty until the version arrived.
    Q_PROPERTY(QString serverVersion READ serverVersionText NOTIFY serverVersionChanged)
    Q_PROPERTY(CategoryListModel *categories READ categoriesModel CONSTANT)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(bool hasError READ hasError NOTIFY errorChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged)
    // Set by the screen while it is shown and the application is active: loads everything on
    // each show and refreshes the live figures every liveIntervalSeconds while active.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged)
    // Whether the alternative limits are in force; undefined when the server does not say.
    Q_PROPERTY(QVariant alternativeSpeed READ alternativeSpeedVariant NOTIFY alternativeSpeedChanged)
    // The alternative limits in KB/s as the sheet's fields start ("0" = none); empty until read.
    Q_PROPERTY(QString altDownloadLimitText READ altDownloadLimitText NOTIFY alternativeLimitsChanged)
    Q_PROPERTY(QString altUploadLimitText READ altUploadLimitText NOTIFY alternativeLimitsChanged)

public:
    static constexpr double liveIntervalSeconds = 5.0;

    explicit StatisticsViewModel(QObject *parent = nullptr); // shared API client
    explicit StatisticsViewModel(QBittorrentAPIClient &apiClient, QObject *parent = nullptr);
    ~StatisticsViewModel() override;

    const std::optional<TransferInfo> &transferInfo() const { return m_transferInfo; }
    const std::optional<ServerState> &serverState() const { return m_serverState; }
    const std::optional<QString> &serverVersion() const { return m_serverVersion; }
    const QList<Category> &categories() const { return m_categories.categories(); }
    CategoryListModel *categoriesModel() { return &m_categories; }
    bool isLoading() const { return m_isLoading; }
    const ErrorPtr &error() const { return m_error; }
    bool hasRefreshTimer() const { return m_refreshTimer != nullptr; }

    bool isActive() const { return m_active; }
    void setActive(bool active);
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
    Q_INVOKABLE void setAlternativeSpeed(bool on);
    const std::optional<SpeedPreferences> &alternativeLimits() const { return m_alternativeLimits; }
    QCoro::Task<void> loadAlternativeLimits();
    // From the limit sheet, KB/s texts checked like the normal limits; an entry that is not
    // accepted keeps the value read last. Both go in one request. Returns whether both were
    // accepted.
    Q_INVOKABLE bool applyAlternativeLimitTexts(const QString &download, const QString &upload);
    QVariantList downloadHistory() const { return series(&SpeedHistory::Sample::download); }
    QVariantList uploadHistory() const { return series(&SpeedHistory::Sample::upload); }
    double historyPeak() const;
    // "%.2f" of alltimeUL / alltimeDL; "∞" when downloaded < 1.
    Q_INVOKABLE QString shareRatioText() const;

Q_SIGNALS:
    void transferInfoChanged();
    void serverStateChanged();
    void speedHistoryChanged();
    void serverVersionChanged();
    void isLoadingChanged();
    void errorChanged();
    void activeChanged();
    void alternativeSpeedChanged();
    void alternativeLimitsChanged();

private:
    QVariantList series(qint64 SpeedHistory::Sample::*rate) const;
    QCoro::Task<void> loadTransferInfo();
    QCoro::Task<void> loadServerState();
    QCoro::Task<void> loadVersion();
    QCoro::Task<void> loadCategories();
    static void logFailure(const QString &prefix, const ErrorPtr &failure);
    // After a write to the server: logs a failure and keeps it as the model's error. True when
    // the model is still there and the write went through.
    static bool wrote(const QPointer<StatisticsViewModel> &self, const ErrorPtr &failure,
                      const QString &failurePrefix);
    // After a load: keeps the error, or the new value when it differs (then signals `changed`).
    template <typename Value>
    void settle(const ErrorPtr &failure, Value &member, Value value, void (StatisticsViewModel::*changed)());
    TransferFigures transferFigures() const;
    ServerFigures serverFigures() const;
    QVariant alternativeSpeedVariant() const;
    QString altDownloadLimitText() const;
    QString altUploadLimitText() const;
    QCoro::Task<void> saveAlternativeLimits(qint64 download, qint64 upload);
    QString serverVersionText() const { return m_serverVersion.value_or(QString()); }
    bool hasError() const { return m_error != nullptr; }
    QString errorMessage() const;

    QBittorrentAPIClient &m_apiClient;
    // The server state comes with the session's one sync stream: a request of its own would
    // make the server answer every torrent list request in full.
    std::shared_ptr<TorrentRepository> m_repository;
    std::optional<TransferInfo> m_transferInfo;
    std::optional<ServerState> m_serverState;
    std::optional<QString> m_serverVersion;
    std::optional<SpeedPreferences> m_alternativeLimits;
    CategoryListModel m_categories;
    bool m_isLoading = false;
    ErrorPtr m_error;
    std::unique_ptr<QTimer> m_refreshTimer;
    bool m_active = false;
};
