#pragma once

#include <QObject>

class QQmlEngine;

class QmlTestSetup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable();
    void qmlEngineAvailable(QQmlEngine *engine);
};
