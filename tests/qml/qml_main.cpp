// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs the tst_*.qml files of this folder with the Seedwhirl module loaded as the application
// loads it, in the Material style.

#include "TestSession.h"
#include "UiSetup.h"

#include "store/Persistence.h"

#include <QQmlEngine>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

class QmlTestSetup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        // Profiles and settings go to the test locations of the throw-away home.
        QStandardPaths::setTestModeEnabled(true);
        if (const auto failure = PersistenceController::openShared())
            qFatal("%s", qPrintable(*failure));
        // The texts the application shows, Qt's own Chinese ones included.
        installTranslations();
        applyApplicationStyle();
        qmlRegisterType<TestSession>("SeedwhirlTest", 1, 0, "TestSession");
    }
    void qmlEngineAvailable(QQmlEngine *engine) { prepareQmlEngine(*engine); }
};

QUICK_TEST_MAIN_WITH_SETUP(seedwhirl_qml, QmlTestSetup)
#include "qml_main.moc"
