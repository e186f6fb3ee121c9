// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>

// The application preferences, kept in QSettings. A stored value of the wrong type is
// ignored in favour of the default; a key is only written once the user changes the setting.
class AppSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAutoRefreshEnabled READ isAutoRefreshEnabled WRITE setAutoRefreshEnabled NOTIFY
                   isAutoRefreshEnabledChanged)
    Q_PROPERTY(
        double refreshInterval READ refreshInterval WRITE setRefreshInterval NOTIFY refreshIntervalChanged)
    Q_PROPERTY(
        QString defaultSavePath READ defaultSavePath WRITE setDefaultSavePath NOTIFY defaultSavePathChanged)
    Q_PROPERTY(bool notifiesCompletions READ notifiesCompletions WRITE setNotifiesCompletions NOTIFY
                   notifiesCompletionsChanged)
    // The width of the detail pane beside the list on a wide window, as the person dragged it;
    // 0 until then (the screen's own default).
    Q_PROPERTY(double detailPaneWidth READ detailPaneWidth WRITE setDetailPaneWidth NOTIFY detailPaneWidthChanged)

public:
    static constexpr bool defaultAutoRefreshEnabled = true;
    static constexpr double defaultRefreshInterval = 3.0;
    static QString defaultDefaultSavePath() { return QStringLiteral("/downloads"); }

    // The application's own preference store (organisation and application names).
    static AppSettings &shared();
    explicit AppSettings(QObject *parent = nullptr);
    // A preference store in an INI file of its own (tests, tools).
    explicit AppSettings(const QString &iniPath, QObject *parent = nullptr);
    ~AppSettings() override;

    bool isAutoRefreshEnabled() const { return m_isAutoRefreshEnabled; }
    void setAutoRefreshEnabled(bool enabled);
    double refreshInterval() const { return m_refreshInterval; }
    void setRefreshInterval(double seconds);
    QString defaultSavePath() const { return m_defaultSavePath; }
    void setDefaultSavePath(const QString &path);
    // A desktop notification when a download finishes.
    bool notifiesCompletions() const { return m_notifiesCompletions; }
    void setNotifiesCompletions(bool on);
    double detailPaneWidth() const { return m_detailPaneWidth; }
    void setDetailPaneWidth(double width);
    // The torrents whose completion was told, per server profile (its id), so that none is told
    // twice, also across restarts. The newest last; the oldest are forgotten beyond a bound.
    QStringList notifiedCompletions(const QString &serverId) const;
    void addNotifiedCompletions(const QString &serverId, const QStringList &hashes);
    static constexpr int maxNotifiedCompletions = 2000;

    // Writes pending changes to disk now (QSettings also does so on its own).
    void sync();

Q_SIGNALS:
    void isAutoRefreshEnabledChanged();
    void refreshIntervalChanged();
    void defaultSavePathChanged();
    void notifiesCompletionsChanged();
    void detailPaneWidthChanged();

private:
    void load();

    std::unique_ptr<QSettings> m_defaults;
    bool m_isAutoRefreshEnabled = defaultAutoRefreshEnabled;
    double m_refreshInterval = defaultRefreshInterval;
    QString m_defaultSavePath = defaultDefaultSavePath();
    bool m_notifiesCompletions = true;
    double m_detailPaneWidth = 0;
};
