// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "UiSetup.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QTranslator>

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

void installTranslations()
{
    QCoreApplication *app = QCoreApplication::instance();
    auto *own = new QTranslator(app);
    if (!own->load(QLocale(), QStringLiteral("seedwhirl"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete own;
        own = nullptr;
    }
    const QString language = own && !own->language().isEmpty() ? own->language() : QStringLiteral("zh_CN");
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &catalogue : {QStringLiteral("qtbase"), QStringLiteral("qtdeclarative")}) {
        auto *qt = new QTranslator(app);
        if (qt->load(catalogue + u'_' + language, folder) ||
            qt->load(catalogue + QStringLiteral("_zh_CN"), folder))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
    }
    // The translator installed last is asked first.
    if (own)
        QCoreApplication::installTranslator(own);
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
