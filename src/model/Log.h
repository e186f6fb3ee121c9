#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Diagnostic lines on standard output: whole lines, UTF-8, each ending with a line feed.
// Never pass a password, cookie or session id.
void logLine(const QString &line);

// Receives every line as well (tests capture lines with it). Only one observer at a time;
// pass an empty function to remove it.
void setLogObserver(std::function<void(const QString &)> observer);
