#pragma once

// A list model's contents as stable text, compared with a stored snapshot under snapshots/
// beside this file: one block per row, its roles by name in name order. With
// SEEDWHIRL_UPDATE_SNAPSHOTS=1 in the environment the snapshot is written instead; review the
// diff before committing it.

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTest>

#include <algorithm>

namespace ModelSnapshot {

inline QString valueText(const QVariant &value)
{
    if (!value.isValid())
        return QStringLiteral("<none>");
    if (value.metaType() == QMetaType::fromType<QStringList>())
        return u'[' + value.toStringList().join(QStringLiteral(", ")) + u']';
    if (value.metaType() == QMetaType::fromType<double>())
        return QString::number(value.toDouble(), 'g', 10);
    return value.toString();
}

// `skipped`: roles whose values differ from run to run (ports, generated ids).
inline QStringList dump(const QAbstractItemModel &model, const QList<QByteArray> &skipped = {})
{
    QList<std::pair<QByteArray, int>> roles;
    const QHash<int, QByteArray> names = model.roleNames();
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (it.key() >= Qt::UserRole && !skipped.contains(it.value()))
            roles.append({it.value(), it.key()});
    }
    std::sort(roles.begin(), roles.end());
    QStringList lines;
    for (int row = 0; row < model.rowCount(); ++row) {
        lines.append(QStringLiteral("[%1]").arg(row));
        for (const auto &[name, role] : roles)
            lines.append(QStringLiteral("  %1: %2")
                             .arg(QString::fromLatin1(name), valueText(model.index(row, 0).data(role))));
    }
    return lines;
}

inline QString path(const QString &name)
{
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/snapshots/") + name +
           QStringLiteral(".model");
}

// The stored lines, or the dump itself after writing it when snapshots are being updated.
inline QStringList stored(const QString &name, const QStringList &actual)
{
    QFile file(path(name));
    if (qEnvironmentVariableIntValue("SEEDWHIRL_UPDATE_SNAPSHOTS") == 1) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write((actual.join(u'\n') + u'\n').toUtf8());
        return actual;
    }
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no snapshot at %1>").arg(file.fileName())};
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace ModelSnapshot

#define COMPARE_SNAPSHOT(model, name, ...)                                                                   \
    do {                                                                                                     \
        const QStringList actualRows_ = ModelSnapshot::dump((model)__VA_OPT__(, ) __VA_ARGS__);              \
        QCOMPARE(actualRows_, ModelSnapshot::stored(name, actualRows_));                                     \
    } while (false)
