#include "UiSetup.h"

#include "model/AppInfo.h"
#include "store/Persistence.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Seedwhirl"));
    QGuiApplication::setApplicationName(QStringLiteral("Seedwhirl"));
    QGuiApplication::setApplicationVersion(appVersion());

    // The profile store opens before any screen; without it there is nothing to show.
    if (const auto failure = PersistenceController::openShared()) {
        std::fprintf(stderr, "%s\n", failure->toUtf8().constData());
        return 1;
    }

    applyApplicationStyle();
    QQmlApplicationEngine engine;
    prepareQmlEngine(engine);
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app, [] { QCoreApplication::exit(1); },
        Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Seedwhirl/qml/Main.qml")));
    return app.exec();
}
