#include "Log.h"

#include <cstdio>

namespace {
std::function<void(const QString &)> &observer()
{
    static std::function<void(const QString &)> instance;
    return instance;
}
} // namespace

void logLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
    if (observer())
        observer()(line);
}

void setLogObserver(std::function<void(const QString &)> fn)
{
    observer() = std::move(fn);
}
