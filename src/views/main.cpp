#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>

#include "model/AppInfo.h"

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Seedwhirl"));
    QGuiApplication::setApplicationName(QStringLiteral("Seedwhirl"));
    QGuiApplication::setApplicationVersion(appVersion());
    QQuickStyle::setStyle(QStringLiteral("Material"));

    QQmlApplicationEngine engine;
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app, [] { QCoreApplication::exit(1); },
        Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/qml/Main.qml")));
    return app.exec();
}
