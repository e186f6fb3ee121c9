#pragma once

#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// `Choices` in QML: the status filters and sort options in their declared order, each as
// {raw, title}, so that the filter sheet shows the model's own names.
class Choices : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QVariantList statusFilters READ statusFilters CONSTANT)
    Q_PROPERTY(QVariantList sortOptions READ sortOptions CONSTANT)

public:
    explicit Choices(QObject *parent = nullptr);

    static QVariantList statusFilters();
    static QVariantList sortOptions();
};
