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
