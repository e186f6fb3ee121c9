#include "UiSetup.h"

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

void applyApplicationStyle()
{
    QQuickStyle::setStyle(QStringLiteral("Material"));
}
