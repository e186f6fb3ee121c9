// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppInfo.h"

#include "BuildInfo.h"

namespace {
QString orUnknown(const char *value)
{
    const QString text = QString::fromUtf8(value).trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown") : text;
}
} // namespace

QString appVersion()
{
    return orUnknown(SEEDWHIRL_VERSION);
}

QString buildNumber()
{
    return orUnknown(SEEDWHIRL_BUILD_NUMBER);
}
