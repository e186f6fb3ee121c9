#include "QmlTestSetup.h"

#include "UiSetup.h"

#include <QQmlEngine>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

void QmlTestSetup::applicationAvailable()
{
    QStandardPaths::setTestModeEnabled(true);
    applyApplicationStyle();
}

void QmlTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    prepareQmlEngine(*engine);
}
