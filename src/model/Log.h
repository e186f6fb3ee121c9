// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <functional>

// Every layer logs through categories of its own, "seedwhirl.<layer>", declared in its
// Logging.h. Their info messages are the diagnostic lines: on standard output, whole lines,
// UTF-8, each ending with a line feed, nothing before them. Their debug messages are off unless
// a rule switches them on (QT_LOGGING_RULES="seedwhirl.sync.debug=true") and go to standard
// error after the category's name, so they never mix with the lines on standard output.
// Never pass a password, cookie, session id, header value or API key.
Q_DECLARE_LOGGING_CATEGORY(lcModel)

// One diagnostic line of `category`, as an info message.
void logLine(const QLoggingCategory &category, const QString &line);

// Puts the handler of these messages in front of the one installed before, which keeps every
// other message (warnings, Qt's own categories). Only the first call installs it; logLine
// calls it, main calls it first.
void installLogHandler();

// Receives every line as well (tests capture lines with it). Only one observer at a time;
// pass an empty function to remove it.
void setLogObserver(std::function<void(const QString &)> observer);
