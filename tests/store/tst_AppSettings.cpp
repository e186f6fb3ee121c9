// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The three preferences: defaults, values of the wrong type, survival across instances.
#include "store/AppSettings.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Values = std::tuple<bool, double, QString>; // auto refresh, interval, save path

class TestAppSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    // What a fresh instance on the file reads.
    Values read() const
    {
        const AppSettings settings(m_path);
        return {settings.isAutoRefreshEnabled(), settings.refreshInterval(), settings.defaultSavePath()};
    }

private Q_SLOTS:
    void init() { m_path = m_dir.filePath(QStringLiteral("%1.ini").arg(QTest::currentTestFunction())); }

    // A fresh installation reads the defaults and writes nothing; values of the wrong type fall
    // back to the defaults, a save path that is no text as well.
    void storedValues()
    {
        QCOMPARE(read(), Values(true, 3.0, "/downloads"));
        QVERIFY(QSettings(m_path, QSettings::IniFormat).allKeys().isEmpty());
        // clang-format off
        const std::tuple<const char *, const char *, Values> rows[] = {
            {"abc", "maybe", {true, 3.0, "/downloads"}}, {"nan", "1", {true, 3.0, "/downloads"}},
            {"10", "false", {false, 10.0, "/downloads"}}, {"1.5", "true", {true, 1.5, "/downloads"}}};
        // clang-format on
        for (const auto &[interval, autoRefresh, expected] : rows) {
            QSettings raw(m_path, QSettings::IniFormat);
            raw.setValue("refreshInterval", interval);
            raw.setValue("autoRefreshEnabled", autoRefresh);
            raw.setValue("defaultSavePath", QStringList({"a", "b"}));
            raw.sync();
            QCOMPARE(read(), expected);
        }
    }

    // A change is announced once and survives a restart; assigning the default writes it too.
    void changesNotifyAndSurviveARestart()
    {
        AppSettings settings(m_path);
        QSignalSpy interval(&settings, &AppSettings::refreshIntervalChanged);
        QSignalSpy path(&settings, &AppSettings::defaultSavePathChanged);
        settings.setRefreshInterval(30);
        settings.setRefreshInterval(30);
        settings.setAutoRefreshEnabled(false);
        settings.setDefaultSavePath(QStringLiteral("/downloads"));
        QCOMPARE(std::tuple(interval.size(), path.size()), std::tuple(1, 0));
        QCOMPARE(QSettings(m_path, QSettings::IniFormat).value("defaultSavePath"), "/downloads");
        QCOMPARE(read(), Values(false, 30.0, "/downloads"));
        settings.setDefaultSavePath(QStringLiteral("/srv/下载"));
        QCOMPARE(path.size(), 1);
        QCOMPARE(read(), Values(false, 30.0, "/srv/下载"));
    }
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_AppSettings.moc"
