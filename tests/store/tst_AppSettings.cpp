// The three preferences: defaults, values of the wrong type, survival across instances.
#include "store/AppSettings.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestAppSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private Q_SLOTS:
    void init() { m_path = m_dir.filePath(QStringLiteral("%1.ini").arg(QTest::currentTestFunction())); }

    void freshInstallationReadsDefaultsAndWritesNothing()
    {
        {
            AppSettings settings(m_path);
            QCOMPARE(settings.isAutoRefreshEnabled(), true);
            QCOMPARE(settings.refreshInterval(), 3.0);
            QCOMPARE(settings.defaultSavePath(), QStringLiteral("/downloads"));
        }
        QVERIFY(QSettings(m_path, QSettings::IniFormat).allKeys().isEmpty());
    }

    void wrongTypesFallBack_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("autoRefresh");
        QTest::addColumn<double>("expectedInterval");
        QTest::addColumn<bool>("expectedAuto");
        QTest::newRow("text") << QStringLiteral("abc") << QStringLiteral("maybe") << 3.0 << true;
        QTest::newRow("not finite") << QStringLiteral("nan") << QStringLiteral("1") << 3.0 << true;
        QTest::newRow("valid") << QStringLiteral("10") << QStringLiteral("false") << 10.0 << false;
        QTest::newRow("fractional") << QStringLiteral("1.5") << QStringLiteral("true") << 1.5 << true;
    }

    void wrongTypesFallBack()
    {
        QFETCH(QString, interval);
        QFETCH(QString, autoRefresh);
        QFETCH(double, expectedInterval);
        QFETCH(bool, expectedAuto);
        {
            QSettings raw(m_path, QSettings::IniFormat);
            raw.setValue(QStringLiteral("refreshInterval"), interval);
            raw.setValue(QStringLiteral("autoRefreshEnabled"), autoRefresh);
            raw.setValue(QStringLiteral("defaultSavePath"),
                         QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        }
        AppSettings settings(m_path);
        QCOMPARE(settings.refreshInterval(), expectedInterval);
        QCOMPARE(settings.isAutoRefreshEnabled(), expectedAuto);
        QCOMPARE(settings.defaultSavePath(), QStringLiteral("/downloads"));
    }

    // A change is announced once and survives a restart; assigning the default writes it too.
    void changesNotifyAndSurviveARestart()
    {
        {
            AppSettings settings(m_path);
            QSignalSpy interval(&settings, &AppSettings::refreshIntervalChanged);
            QSignalSpy path(&settings, &AppSettings::defaultSavePathChanged);
            settings.setRefreshInterval(30);
            settings.setRefreshInterval(30);
            settings.setAutoRefreshEnabled(false);
            settings.setDefaultSavePath(QStringLiteral("/downloads"));
            QCOMPARE(interval.size(), 1);
            QCOMPARE(path.size(), 0);
        }
        QCOMPARE(QSettings(m_path, QSettings::IniFormat).value(QStringLiteral("defaultSavePath")).toString(),
                 QStringLiteral("/downloads"));
        {
            AppSettings settings(m_path);
            QSignalSpy path(&settings, &AppSettings::defaultSavePathChanged);
            settings.setDefaultSavePath(QStringLiteral("/srv/下载"));
            QCOMPARE(path.size(), 1);
        }
        AppSettings restarted(m_path);
        QCOMPARE(restarted.refreshInterval(), 30.0);
        QCOMPARE(restarted.isAutoRefreshEnabled(), false);
        QCOMPARE(restarted.defaultSavePath(), QStringLiteral("/srv/下载"));
    }
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_AppSettings.moc"
