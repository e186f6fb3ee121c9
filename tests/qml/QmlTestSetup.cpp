#include "QmlTestSetup.h"

#include "TestSupport.h"
#include "UiSetup.h"

#include "store/Persistence.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

void QmlTestSetup::applicationAvailable()
{
    // Profiles and settings go to the test locations of the throw-away home.
    QStandardPaths::setTestModeEnabled(true);
    if (const auto failure = PersistenceController::openShared()) {
        qFatal("%s", qPrintable(*failure));
    }
    applyApplicationStyle();
}

void QmlTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    prepareQmlEngine(*engine);
    engine->rootContext()->setContextProperty(QStringLiteral("TestSupport"), new TestSupport(engine));
}
