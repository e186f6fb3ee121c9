#pragma once

#include <QStringList>

// Collects the log lines written while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    const QStringList &lines() const { return m_lines; }
    void clear() { m_lines.clear(); }
    bool contains(const QString &line) const { return m_lines.contains(line); }
    // Lines that start with the given prefix, in order.
    QStringList startingWith(const QString &prefix) const;

private:
    QStringList m_lines;
};
