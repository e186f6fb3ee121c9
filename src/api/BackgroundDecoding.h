// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

// The one thread that decodes large answers (a full sync of a big server is some 150 MB of
// JSON): parsing there keeps the UI thread free, and the parser that thread keeps between
// answers spares allocating its buffers anew. Never destroyed, like the client that uses it.
QThreadPool &decodingThread();

// Frees `value` on the decoding thread: many records at once would hold up the UI thread.
template <typename T> void freeInBackground(T value)
{
    decodingThread().start([value = std::move(value)] {});
}

// What a decoding gave: its value, or what it threw.
template <typename T> struct Decoded
{
    std::optional<T> value;
    std::exception_ptr error;
};

// Runs `decode` on the decoding thread; one answer at a time, in the order they were handed
// over. Await the future (qcorofuture.h) to resume on the caller's thread. A plain function on
// purpose: GCC 12 may destroy a coroutine's by-value closure parameter twice.
template <typename Decode> auto decodeInBackground(Decode decode) -> QFuture<Decoded<std::invoke_result_t<Decode &>>>
{
    using T = std::invoke_result_t<Decode &>;
    return QtConcurrent::run(&decodingThread(), [decode = std::move(decode)]() mutable {
        Decoded<T> decoded;
        try {
            decoded.value.emplace(decode());
        } catch (...) {
            decoded.error = std::current_exception();
        }
        return decoded;
    });
}
