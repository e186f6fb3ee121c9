// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StatisticsViewModel.h"

#include "ErrorState.h"
#include "Logging.h"
#include "api/Attempt.h"
#include "api/QBittorrentAPIClient.h"
#include "model/Formatting.h"
#include "sync/TorrentRepository.h"

#include <QPointer>
#include <QtNumeric>

#include <cmath>
#include <limits>

namespace {

// Bounds of the refresh interval: a QTimer takes whole milliseconds in an int, and an interval
// of (nearly) nothing would flood the server.
constexpr double minIntervalMs = 100;
constexpr double maxIntervalMs = std::numeric_limits<int>::max();

QString limitFieldText(const std::optional<TransferInfo> &info, qint64 TransferInfo::*limit)
{
    return kilobytesText(info ? (*info).*limit : 0);
}

} // namespace

StatisticsViewModel::StatisticsViewModel(QObject *parent)
    : StatisticsViewModel(QBittorrentAPIClient::shared(), parent)
{}

StatisticsViewModel::StatisticsViewModel(QBittorrentAPIClient &apiClient, QObject *parent)
    : QObject(parent), m_apiClient(apiClient), m_repository(TorrentRepository::shared(apiClient)),
      m_categories(this)
{
    connect(m_repository.get(), &TorrentRepository::serverStateChanged, this,
            &StatisticsViewModel::alternativeSpeedChanged);
    connect(m_repository.get(), &TorrentRepository::speedHistoryChanged, this,
            &StatisticsViewModel::speedHistoryChanged);
}

// The timer goes with the model, so no tick can reach a model that is gone.
StatisticsViewModel::~StatisticsViewModel() = default;

void StatisticsViewModel::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (active) {
        loadAll();
        startAutoRefresh(liveIntervalSeconds);
    } else {
        stopAutoRefresh();
    }
    Q_EMIT activeChanged();
}

void StatisticsViewModel::loadAll()
{
    loadTransferInfo();
    loadServerState();
    loadVersion();
    loadCategories();
    loadAlternativeLimits();
}

QVariant StatisticsViewModel::alternativeSpeedVariant() const
{
    return variantOf(m_repository->alternativeSpeed());
}

void StatisticsViewModel::setAlternativeSpeed(bool on)
{
    // Held by the task: the request may outlive this model.
    const std::shared_ptr<TorrentRepository> repository = m_repository;
    QCoro::connect(repository->setAlternativeSpeed(on), this, [repository] {});
}

QCoro::Task<void> StatisticsViewModel::loadAlternativeLimits()
{
    QPointer<StatisticsViewModel> self(this);
    Attempted<SpeedPreferences> answer = co_await attempt(m_apiClient.getSpeedPreferences());
    logFailure(QStringLiteral("❌ 加载备用限速失败: "), answer.error);
    if (!self || answer.error)
        co_return;
    if (m_alternativeLimits != answer.value) {
        m_alternativeLimits = std::move(answer.value);
        Q_EMIT alternativeLimitsChanged();
    }
}

QString StatisticsViewModel::altDownloadLimitText() const
{
    if (!m_alternativeLimits || !m_alternativeLimits->altDlLimit)
        return {};
    return kilobytesText(*m_alternativeLimits->altDlLimit);
}

QString StatisticsViewModel::altUploadLimitText() const
{
    if (!m_alternativeLimits || !m_alternativeLimits->altUpLimit)
        return {};
    return kilobytesText(*m_alternativeLimits->altUpLimit);
}

bool StatisticsViewModel::applyAlternativeLimitTexts(const QString &download, const QString &upload)
{
    const std::optional<qint64> dl = limitBytes(download);
    const std::optional<qint64> up = limitBytes(upload);
    const SpeedPreferences held = m_alternativeLimits.value_or(SpeedPreferences{});
    const std::optional<qint64> nextDl = dl ? dl : held.altDlLimit;
    const std::optional<qint64> nextUp = up ? up : held.altUpLimit;
    if (nextDl && nextUp && (nextDl != held.altDlLimit || nextUp != held.altUpLimit))
        saveAlternativeLimits(*nextDl, *nextUp);
    return dl && up;
}

QCoro::Task<void> StatisticsViewModel::saveAlternativeLimits(qint64 download, qint64 upload)
{
    QPointer<StatisticsViewModel> self(this);
    const ErrorPtr failure = co_await attempt(m_apiClient.setAlternativeLimits(download, upload));
    if (!failure)
        logLine(lcViewModels(), QStringLiteral("✅ 备用限速已设置: 下载 %1 B/s, 上传 %2 B/s").arg(download).arg(upload));
    if (!wrote(self, failure, QStringLiteral("❌ 设置备用限速失败: ")))
        co_return;
    co_await loadAlternativeLimits();
}

void StatisticsViewModel::startAutoRefresh(double intervalSeconds)
{
    stopAutoRefresh();
    double intervalMs = intervalSeconds * 1000;
    if (std::isnan(intervalMs) || intervalMs < minIntervalMs)
        intervalMs = minIntervalMs;
    intervalMs = std::min(intervalMs, maxIntervalMs);

    m_refreshTimer = std::make_unique<QTimer>();
    m_refreshTimer->setInterval(int(std::lround(intervalMs)));
    // Only the two live figures follow the timer; version and categories change rarely.
    connect(m_refreshTimer.get(), &QTimer::timeout, this, [this] {
        loadTransferInfo();
        loadServerState();
    });
    m_refreshTimer->start();
}

void StatisticsViewModel::stopAutoRefresh()
{
    if (!m_refreshTimer)
        return;
    // Stopped and cut off at once; deleted later because this may run inside the timer's own
    // tick (a screen reacting to a load that failed before it was sent).
    m_refreshTimer->stop();
    m_refreshTimer->disconnect(this);
    m_refreshTimer.release()->deleteLater();
}

QCoro::Task<void> StatisticsViewModel::setDownloadLimit(qint64 bytesPerSecond)
{
    QPointer<StatisticsViewModel> self(this);
    const ErrorPtr failure = co_await attempt(m_apiClient.setDownloadLimit(bytesPerSecond));
    if (!wrote(self, failure, QStringLiteral("❌ 设置下载限速失败: ")))
        co_return;
    // Not awaited: the limit is set; the card catches up when the new figures arrive.
    loadTransferInfo();
}

QCoro::Task<void> StatisticsViewModel::setUploadLimit(qint64 bytesPerSecond)
{
    QPointer<StatisticsViewModel> self(this);
    const ErrorPtr failure = co_await attempt(m_apiClient.setUploadLimit(bytesPerSecond));
    if (!wrote(self, failure, QStringLiteral("❌ 设置上传限速失败: ")))
        co_return;
    loadTransferInfo();
}

bool StatisticsViewModel::applyDownloadLimitText(const QString &kilobytesPerSecond)
{
    const std::optional<qint64> bytes = limitBytes(kilobytesPerSecond);
    if (bytes)
        setDownloadLimit(*bytes);
    return bytes.has_value();
}

bool StatisticsViewModel::applyUploadLimitText(const QString &kilobytesPerSecond)
{
    const std::optional<qint64> bytes = limitBytes(kilobytesPerSecond);
    if (bytes)
        setUploadLimit(*bytes);
    return bytes.has_value();
}

QString StatisticsViewModel::downloadLimitFieldText() const
{
    return limitFieldText(m_transferInfo, &TransferInfo::dlRateLimit);
}

QString StatisticsViewModel::uploadLimitFieldText() const
{
    return limitFieldText(m_transferInfo, &TransferInfo::upRateLimit);
}

QString StatisticsViewModel::shareRatioText() const
{
    const qint64 downloaded = m_serverState ? m_serverState->alltimeDL.value_or(0) : 0;
    if (downloaded < 1)
        return QStringLiteral("∞");
    const qint64 uploaded = m_serverState->alltimeUL.value_or(0);
    return formatRatio(double(uploaded) / double(downloaded));
}

// Every load looks at the model after its answer only through the guard: a tab closed while
// the request is in flight leaves the answer unread. A failure is logged either way.
QCoro::Task<void> StatisticsViewModel::loadTransferInfo()
{
    QPointer<StatisticsViewModel> self(this);
    if (!m_isLoading) {
        m_isLoading = true;
        Q_EMIT isLoadingChanged();
    }
    Attempted<TransferInfo> answer = co_await attempt(m_apiClient.getTransferInfo());
    logFailure(QStringLiteral("❌ 加载传输信息失败: "), answer.error);
    if (!self)
        co_return;
    if (answer.value)
        m_repository->addSpeedSample(answer.value->dlInfoSpeed, answer.value->upInfoSpeed);
    settle(answer.error, m_transferInfo, std::move(answer.value), &StatisticsViewModel::transferInfoChanged);
    if (m_isLoading) {
        m_isLoading = false;
        Q_EMIT isLoadingChanged();
    }
}

QCoro::Task<void> StatisticsViewModel::loadServerState()
{
    QPointer<StatisticsViewModel> self(this);
    // Held by the task: the pass may outlive this model.
    const std::shared_ptr<TorrentRepository> repository = m_repository;
    co_await repository->refresh();
    const ErrorPtr failure = repository->error();
    logFailure(QStringLiteral("❌ 加载服务器状态失败: "), failure);
    if (!self)
        co_return;
    settle(failure, m_serverState, repository->serverState(), &StatisticsViewModel::serverStateChanged);
}

QCoro::Task<void> StatisticsViewModel::loadVersion()
{
    QPointer<StatisticsViewModel> self(this);
    Attempted<QString> answer = co_await attempt(m_apiClient.getVersion());
    logFailure(QStringLiteral("❌ 加载服务器版本失败: "), answer.error);
    if (!self)
        co_return;
    settle(answer.error, m_serverVersion, std::move(answer.value),
           &StatisticsViewModel::serverVersionChanged);
}

QCoro::Task<void> StatisticsViewModel::loadCategories()
{
    QPointer<StatisticsViewModel> self(this);
    Attempted<QList<Category>> answer = co_await attempt(m_apiClient.getCategories());
    logFailure(QStringLiteral("❌ 加载分类失败: "), answer.error);
    if (!self)
        co_return;
    if (answer.error) {
        m_error = answer.error;
        Q_EMIT errorChanged();
    } else {
        m_categories.setCategories(std::move(*answer.value));
    }
}

void StatisticsViewModel::logFailure(const QString &prefix, const ErrorPtr &failure)
{
    if (failure)
        logLine(lcViewModels(), prefix + failure->localizedDescription());
}

bool StatisticsViewModel::wrote(const QPointer<StatisticsViewModel> &self, const ErrorPtr &failure,
                                const QString &failurePrefix)
{
    logFailure(failurePrefix, failure);
    if (!self)
        return false;
    if (failure) {
        self->m_error = failure;
        Q_EMIT self->errorChanged();
        return false;
    }
    return true;
}

template <typename Value>
void StatisticsViewModel::settle(const ErrorPtr &failure, Value &member, Value value,
                                 void (StatisticsViewModel::*changed)())
{
    if (failure) {
        m_error = failure;
        Q_EMIT errorChanged();
    } else if (member != value) {
        member = std::move(value);
        Q_EMIT(this->*changed)();
    }
}

TransferFigures StatisticsViewModel::transferFigures() const
{
    TransferFigures figures;
    if (m_transferInfo) {
        static_cast<TransferInfo &>(figures) = *m_transferInfo;
        figures.loaded = true;
    }
    return figures;
}

ServerFigures StatisticsViewModel::serverFigures() const
{
    return m_serverState ? ServerFigures{true, *m_serverState} : ServerFigures{};
}

QString StatisticsViewModel::errorMessage() const
{
    return errorTexts(m_error).message;
}

QVariantList StatisticsViewModel::series(qint64 SpeedHistory::Sample::*rate) const
{
    const QList<SpeedHistory::Sample> &samples = m_repository->speedHistory().samples();
    QVariantList points;
    points.reserve(samples.size());
    const qint64 newest = samples.isEmpty() ? 0 : samples.constLast().atMs;
    for (const SpeedHistory::Sample &sample : samples)
        points.append(QPointF(double(sample.atMs - newest) / 1000.0, double(sample.*rate)));
    return points;
}

double StatisticsViewModel::historyPeak() const
{
    qint64 peak = 1;
    for (const SpeedHistory::Sample &sample : m_repository->speedHistory().samples())
        peak = std::max({peak, sample.download, sample.upload});
    return double(peak);
}
