#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when a QML or C++ file under src/ holds Chinese text that a translator cannot reach.

Every string literal with a CJK character must be an argument of qsTr / tr / translate /
QT_TRANSLATE_NOOP (or their relatives), or sit inside a diagnostic: a logLine(...) call, a Qt
logging call (qCInfo, qWarning, ...), a statement streaming into one, or a call that only feeds
the log (DIAGNOSTIC below). Comments are ignored. A line that must keep its text ends with
`// untranslated: <reason>`; EXEMPT_PATHS names the files that are not interface at all.

Usage: check_texts.py [SRC_DIR]      (default: the src/ folder beside tools/)
       check_texts.py --self-test
"""

import os
import re
import sys

CJK = re.compile('[\u3000-\u303f\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\uff00-\uffef]')
EXEMPT = re.compile(r'//\s*untranslated:\s*\S')

# The literal is the text itself, or a context / disambiguation beside it: lupdate reads
# each of these only when the literal opens one of the call's arguments.
TRANSLATING = {'tr', 'qsTr', 'QT_TR_NOOP', 'QT_TR_NOOP_UTF8', 'translate', 'qsTranslate',
               'QT_TRANSLATE_NOOP', 'QT_TRANSLATE_NOOP3', 'QT_TRANSLATE_NOOP_UTF8',
               'QT_TRID_NOOP', 'qsTrId', 'qtTrId'}
# Diagnostics are never translated: what they write stays the same in every language.
LOGGING = {'logLine', 'qDebug', 'qInfo', 'qWarning', 'qCritical', 'qFatal',
           'qCDebug', 'qCInfo', 'qCWarning', 'qCCritical', 'qCFatal'}
# Calls whose texts only reach the log: a decoding failure's detail (its debugDescription; the
# user sees DecodingError's one sentence instead), the lines an edit of torrents logs when it
# succeeds or fails (TorrentRepository::edit and the list's editTorrents), and the prefixes of
# the statistics' failure lines.
DIAGNOSTIC = LOGGING | {'throwDataCorrupted', 'throwTypeMismatch', 'throwValueNotFound',
                        'throwKeyNotFound', 'typeMismatch', 'valueNotFound', 'keyNotFound',
                        'dataCorrupted', 'edit', 'editTorrents', 'logFailure', 'wrote'}
# Files and folders (relative to the source folder) whose texts are not interface.
EXEMPT_PATHS = {
    'views/shots/': 'the screenshot driver types sample names into the forms and finds items '
                    'by the text they show; translated, it would look for words no screen draws',
    'model/Json.cpp': "the JSON reader's texts describe what an answer held, for the decoding "
                      'diagnostics only (DecodingError::debugDescription)',
}
STRING_PREFIXES = {'u', 'u8', 'U', 'L', 'R', 'uR', 'u8R', 'UR', 'LR'}


def tokens(text, qml):
    """The tokens (kind, value, line, end), kind 'str', 'id' or 'punct', and the exempt lines."""
    i, line, n = 0, 1, len(text)
    exempt = set()
    out = []
    while i < n:
        c = text[i]
        if c == '\n':
            line += 1
            i += 1
        elif c in ' \t\r\f\v\\':
            i += 1
        elif text.startswith('//', i):
            end = text.find('\n', i)
            end = n if end < 0 else end
            if EXEMPT.match(text, i):
                exempt.add(line)
            i = end
        elif text.startswith('/*', i):
            end = text.find('*/', i + 2)
            end = n if end < 0 else end + 2
            line += text.count('\n', i, end)
            i = end
        elif c == '#' and not qml and (not out or out[-1][2] != line):
            # Preprocessor lines: an #include path is no text; continuation lines follow.
            end = i
            while True:
                end = text.find('\n', end)
                if end < 0 or text[end - 1] != '\\':
                    break
                end += 1
            end = n if end < 0 else end
            line += text.count('\n', i, end)
            i = end
        elif c in '"\'`':
            start_line = line
            prefix = out[-1][1] if out and out[-1][0] == 'id' and out[-1][3] == i else None
            if prefix is not None and prefix not in STRING_PREFIXES:
                prefix = None
            if prefix is not None:
                out.pop()
            if c == '"' and prefix and prefix.endswith('R'):
                m = re.compile(r'"([^(\s]*)\(').match(text, i)
                close = ')' + m.group(1) + '"'
                end = text.find(close, m.end())
                end = n if end < 0 else end + len(close)
            else:
                end = i + 1
                while end < n and text[end] != c:
                    if text[end] == '\\':
                        end += 1
                    elif text[end] == '\n' and c != '`':
                        break
                    end += 1
                end += 1
            value = text[i:end]
            line += value.count('\n')
            out.append(('str', value, start_line, end))
            i = end
        elif c.isalnum() or c == '_':
            m = re.compile(r'\w+').match(text, i)
            out.append(('id', m.group(0), line, m.end()))
            i = m.end()
        else:
            if text.startswith('::', i) or text.startswith('->', i):
                out.append(('punct', text[i:i + 2], line, i + 2))
                i += 2
            else:
                out.append(('punct', c, line, i + 1))
                i += 1
    return out, exempt


def findings(text, qml):
    """Lines (1-based) that hold a Chinese literal outside translation and diagnostics."""
    toks, exempt = tokens(text, qml)
    stack = []            # (callee, is_logging) per open bracket
    streaming = False     # the current C++ statement streams into a logging call
    bad = []
    for k, (kind, value, line, _) in enumerate(toks):
        if kind == 'punct':
            if value in '([{':
                callee = toks[k - 1][1] if value == '(' and k and toks[k - 1][0] == 'id' else None
                stack.append((callee, callee in DIAGNOSTIC or bool(stack and stack[-1][1])))
                if value == '{' and not qml:
                    streaming = False
            elif value in ')]}':
                if stack:
                    stack.pop()
                if value == '}':
                    streaming = False
            elif value == ';':
                streaming = False
            continue
        if kind == 'id':
            if value in LOGGING and not qml:
                streaming = True
            continue
        if not CJK.search(value) or line in exempt:
            continue
        if streaming or (stack and stack[-1][1]):
            continue
        j = k - 1
        while j >= 0 and toks[j][0] == 'str':     # adjacent literals concatenate
            j -= 1
        opens_argument = j >= 0 and toks[j][1] in ('(', ',')
        if opens_argument and stack and stack[-1][0] in TRANSLATING:
            continue
        if line not in bad:
            bad.append(line)
    return bad


def check(src):
    problems = []
    for root, dirs, files in os.walk(src):
        dirs.sort()
        rel_root = os.path.relpath(root, src).replace(os.sep, '/') + '/'
        for name in sorted(files):
            if not name.endswith(('.qml', '.js', '.cpp', '.h')):
                continue
            if (rel_root + name).lstrip('./').startswith(tuple(EXEMPT_PATHS)):
                continue
            path = os.path.join(root, name)
            with open(path, encoding='utf-8') as f:
                text = f.read()
            for line in findings(text, name.endswith(('.qml', '.js'))):
                problems.append(f'{path}:{line}: Chinese text outside qsTr/tr/translate')
    return problems


SAMPLES = [
    # (qml, source, lines that must be reported)
    (True, 'Label { text: qsTr("你好") }\n', []),
    (True, 'Label { text: "你好" }\n', [1]),
    (True, 'Label { text: qsTr("共 %1 个").arg(n) + "个" }\n', [1]),
    (True, "Label { text: qsTr('单引号') }\n", []),
    (True, 'Label {\n  // text: "注释"\n  text: model.name /* "注释" */\n}\n', []),
    (True, 'Label { text: "你好" } // untranslated: a sample name\n', []),
    (True, 'Label { text: qsTr(x ? "是" : "否") }\n', [1]),
    (True, 'Label { text: "plain" + qsTr("中") }\n', []),
    (False, 'return tr("你好");\n', []),
    (False, 'return QStringLiteral("你好");\n', [1]),
    (False, 'QCoreApplication::translate("Ctx", "你好");\n', []),
    (False, 'static const char *t[] = {QT_TRANSLATE_NOOP("Ctx", "甲"),\n  "乙"};\n', [2]),
    (False, 'logLine(QStringLiteral("✅ 已连接: ") + name);\n', []),
    (False, 'qCInfo(lcApi) << "已连接"\n  << QStringLiteral("到");\nx = u"中"_s;\n', [3]),
    (False, 'logLine(QString("失败 %1").arg(tr("x")));\nauto s = u"中";\n', [2]),
    (False, 'return tr("多行"\n          "文字");\n', []),
    (False, '#include "中.h"\nx = R"(原始 "引号")";\n', [2]),
    (False, 'x = QStringLiteral("样本"); // untranslated: data the tests type\n', []),
    (False, 'throwDataCorrupted(path, QStringLiteral("无效的 %1").arg(tr("x")));\n', []),
]


def self_test():
    failed = 0
    for qml, source, expected in SAMPLES:
        got = findings(source, qml)
        if got != expected:
            failed += 1
            print(f'self-test: expected {expected}, got {got} for:\n{source}', file=sys.stderr)
    return failed


def main(argv):
    if argv[1:] == ['--self-test']:
        return 1 if self_test() else 0
    if len(argv) > 2:
        print(__doc__, file=sys.stderr)
        return 2
    src = argv[1] if len(argv) == 2 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'src')
    if self_test():
        return 1
    problems = check(os.path.normpath(src))
    for p in problems:
        print(p)
    if problems:
        print(f'{len(problems)} Chinese text(s) outside the translation system: wrap them in '
              'qsTr / tr / QCoreApplication::translate, or mark a line that must keep its text '
              'with "// untranslated: <reason>"', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
