// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BackgroundDecoding.h"

QThreadPool &decodingThread()
{
    static QThreadPool *const pool = [] {
        auto *threads = new QThreadPool;
        threads->setMaxThreadCount(1);
        threads->setExpiryTimeout(-1); // the thread and its parser stay for the next answer
        return threads;
    }();
    return *pool;
}
