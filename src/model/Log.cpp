// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Log.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

// Debug lines are for someone chasing a fault; the default shows only the diagnostic lines.
Q_LOGGING_CATEGORY(lcModel, "seedwhirl.model", QtInfoMsg)

namespace {
std::function<void(const QString &)> &observer()
{
    static std::function<void(const QString &)> instance;
    return instance;
}

// Set once, read by whichever thread logs.
std::atomic<QtMessageHandler> previousHandler = nullptr;
std::once_flag handlerInstalled;

bool isOwnCategory(const char *name)
{
    return name && std::strncmp(name, "seedwhirl.", 10) == 0;
}

void write(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (isOwnCategory(context.category)) {
        if (type == QtInfoMsg) {
            write(stdout, message.toUtf8() + '\n');
            if (observer())
                observer()(message);
            return;
        }
        if (type == QtDebugMsg) {
            write(stderr, QByteArray(context.category) + ": " + message.toUtf8() + '\n');
            return;
        }
    }
    if (const QtMessageHandler previous = previousHandler.load())
        previous(type, context, message);
}
} // namespace

void installLogHandler()
{
    std::call_once(handlerInstalled, [] { previousHandler.store(qInstallMessageHandler(handleMessage)); });
}

void logLine(const QLoggingCategory &category, const QString &line)
{
    installLogHandler();
    // The line as it is: no quotes, no separating space.
    QMessageLogger(nullptr, 0, nullptr, category.categoryName()).info(category).nospace().noquote() << line;
}

void setLogObserver(std::function<void(const QString &)> fn)
{
    observer() = std::move(fn);
}
