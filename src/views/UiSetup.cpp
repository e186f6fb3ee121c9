#include "UiSetup.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlEngine>
#include <QQuickStyle>

#include <qcoro/qcoroqml.h>

void prepareQmlEngine(QQmlEngine &engine)
{
    static const bool registered = [] {
        QCoro::Qml::registerTypes();
        return true;
    }();
    Q_UNUSED(registered);
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
}

void setApplicationIdentity()
{
    QGuiApplication::setOrganizationName(QStringLiteral("Seedwhirl"));
    QGuiApplication::setApplicationName(QStringLiteral("Seedwhirl"));
    // The desktop entry's name: the shell matches the window to its entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(SEEDWHIRL_APP_ID));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/" SEEDWHIRL_APP_ID ".svg")));
}

void useStateFolder(const QString &folder)
{
    const QDir state(folder);
    qputenv("XDG_DATA_HOME", QFile::encodeName(state.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(state.filePath(QStringLiteral("config"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(state.filePath(QStringLiteral("cache"))));
}

void applyApplicationStyle()
{
    QQuickStyle::setStyle(QStringLiteral("Material"));
}
