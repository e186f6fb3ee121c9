#include "Choices.h"

#include "model/TorrentFilter.h"

#include <QVariantMap>

Choices::Choices(QObject *parent) : QObject(parent) {}

QVariantList Choices::statusFilters()
{
    QVariantList list;
    for (const TorrentFilter filter : TorrentFilters::allCases()) {
        list.append(QVariantMap{{QStringLiteral("raw"), TorrentFilters::rawValue(filter)},
                                {QStringLiteral("title"), TorrentFilters::displayName(filter)}});
    }
    return list;
}

QVariantList Choices::sortOptions()
{
    QVariantList list;
    for (const TorrentSortOption option : TorrentSortOptions::allCases()) {
        list.append(QVariantMap{{QStringLiteral("raw"), TorrentSortOptions::rawValue(option)},
                                {QStringLiteral("title"), TorrentSortOptions::displayName(option)}});
    }
    return list;
}
