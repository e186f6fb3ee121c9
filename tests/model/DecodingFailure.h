// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/DecodingError.h"
#include "model/JsonCodec.h"
#include "support/Fixtures.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

#include <algorithm>
#include <optional>

// The DecodingError that `decode` throws, or nothing when it returns normally. Any other
// exception escapes and fails the test.
template <typename Decode> std::optional<DecodingError> decodingFailure(Decode &&decode)
{
    try {
        (void)decode();
    } catch (const DecodingError &error) {
        return error;
    }
    return std::nullopt;
}

// The head of the failure's debug text, e.g. "keyNotFound(rid, at <root>)": kind, expected
// type or key, and coding path in one comparable line; "ok" when `decode` succeeds.
template <typename Decode> QString failureText(Decode &&decode)
{
    const auto error = decodingFailure(decode);
    if (!error)
        return QStringLiteral("ok");
    const QString text = error->debugDescription();
    return text.left(text.size() - error->contextDescription().size() - 2);
}

// A record's JSON form, indented, with sorted keys: a stable text to keep as a snapshot.
inline QByteArray snapshotText(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).toJson(QJsonDocument::Indented);
}

// Compares `text` with tests/model/snapshots/<name>, line by line; SEEDWHIRL_UPDATE_SNAPSHOTS=1
// rewrites the file instead (review the diff before keeping it).
inline void compareSnapshot(const QString &name, const QByteArray &text)
{
    QFile file(QStringLiteral(SEEDWHIRL_FIXTURES_DIR "/../model/snapshots/") + name);
    if (qEnvironmentVariableIntValue("SEEDWHIRL_UPDATE_SNAPSHOTS") == 1) {
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.fileName()));
        file.write(text);
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QList<QByteArray> expected = file.readAll().split('\n'), actual = text.split('\n');
    for (qsizetype i = 0; i < std::max(expected.size(), actual.size()); ++i)
        QCOMPARE(QString::fromUtf8(actual.value(i)), QString::fromUtf8(expected.value(i)));
}

// The inputs kept in tests/model/snapshots/<name>, one a line: "label<TAB>bytes", where \xNN
// stands for a byte that cannot be written as it is and "@file" for a recorded answer's bytes.
inline QList<std::pair<QString, QByteArray>> snapshotInputs(const QString &name)
{
    QFile file(QStringLiteral(SEEDWHIRL_FIXTURES_DIR "/../model/snapshots/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing %s", qPrintable(file.fileName()));
    QList<std::pair<QString, QByteArray>> inputs;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        QByteArray bytes = parts.value(1);
        for (qsizetype at = bytes.indexOf("\\x"); at >= 0; at = bytes.indexOf("\\x", at + 1))
            bytes.replace(at, 4, QByteArray::fromHex(bytes.mid(at + 2, 2)));
        if (parts.size() == 2)
            inputs.append({QString::fromUtf8(parts[0]),
                           bytes.startsWith('@') ? fixture(QString::fromUtf8(bytes.mid(1))) : bytes});
    }
    return inputs;
}

// The JSON form of a record, or of a list of records.
template <typename T> QByteArray encoded(const T &value)
{
    if constexpr (requires { value.toJson(); })
        return value.toJson();
    else
        return json::encodeDocument(value);
}

// For each input of tests/model/snapshots/<cases>: "== label", then the record that `decode`
// returns, written back as indented JSON, or the failure that it throws.
template <typename Decode> QByteArray outcomesOf(const QString &cases, Decode &&decode)
{
    QByteArray text;
    for (const auto &[label, json] : snapshotInputs(cases)) {
        QByteArray written;
        const QString failure = failureText([&] { return written = encoded(decode(json)); });
        text += "== " + label.toUtf8() + '\n' +
                (written.isNull() ? failure.toUtf8() + '\n' : snapshotText(written));
    }
    return text;
}

// Lines of "label: result" for many inputs, kept as one snapshot.
class SnapshotLog
{
public:
    void add(QString label, QString result)
    {
        for (QString *text : {&label, &result})
            text->replace(u'\n', u"\\n"_qs).replace(u'\r', u"\\r"_qs).replace(u'\t', u"\\t"_qs);
        m_text += (label + u": "_qs + result + u'\n').toUtf8();
    }
    // For each input of tests/model/snapshots/<cases>: the record that `decode` returns, written
    // back in its compact JSON form, or the failure.
    template <typename Decode> void outcomes(const QString &cases, Decode &&decode)
    {
        for (const auto &[label, json] : snapshotInputs(cases)) {
            QByteArray written;
            const QString failure = failureText([&] { return written = encoded(decode(json)); });
            add(label, written.isNull() ? failure : QString::fromUtf8(written));
        }
    }
    void compare(const QString &name) { compareSnapshot(name, m_text); }

private:
    QByteArray m_text;
};
