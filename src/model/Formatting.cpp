// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Formatting.h"

#include <QCoreApplication>

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/timezone.h>

#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <utility>

namespace {

QString toQString(const icu::UnicodeString &text)
{
    if (text.isBogus())
        return {};
    static_assert(sizeof(UChar) == sizeof(QChar));
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

// Building ICU formatters loads locale data and costs far more than formatting, so each thread
// builds them once; ICU formatters must not be shared between threads.
struct Formatters
{
    Formatters()
    {
        const icu::Locale locale("zh_CN");
        date.reset(icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kShort,
                                                           locale));
        UErrorCode status = U_ZERO_ERROR;
        relative = std::make_unique<icu::RelativeDateTimeFormatter>(locale, nullptr, UDAT_STYLE_SHORT,
                                                                    UDISPCTX_CAPITALIZATION_NONE, status);
        if (U_FAILURE(status))
            relative.reset();
        status = U_ZERO_ERROR;
        calendar.reset(icu::Calendar::createInstance(icu::TimeZone::createDefault(), locale, status));
        if (U_FAILURE(status))
            calendar.reset();
    }

    std::unique_ptr<icu::DateFormat> date;
    std::unique_ptr<icu::RelativeDateTimeFormatter> relative;
    std::unique_ptr<icu::Calendar> calendar;
};

Formatters &formatters()
{
    thread_local Formatters instance;
    return instance;
}

QString formatUDate(UDate milliseconds)
{
    const auto &format = formatters().date;
    if (!format)
        return {};
    icu::UnicodeString text;
    format->format(milliseconds, text);
    return toQString(text);
}

// printf's "%.Nf" without the process locale: the decimal nearest the double's exact binary
// value, exact ties to even (0.125 gives "0.12"). QString::number rounds ties away from zero.
QString fixed(double value, int decimals)
{
    std::array<char, 512> buffer; // DBL_MAX has 309 integer digits
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc())
        return QString::number(value, 'f', decimals);
    return QString::fromLatin1(buffer.data(), qsizetype(end - buffer.data()));
}

} // namespace

QString formatBytes(qint64 value, const QString &suffix)
{
    static constexpr std::array<const char *, 6> units{
        QT_TRANSLATE_NOOP("Formatting", "B"),  QT_TRANSLATE_NOOP("Formatting", "KB"),
        QT_TRANSLATE_NOOP("Formatting", "MB"), QT_TRANSLATE_NOOP("Formatting", "GB"),
        QT_TRANSLATE_NOOP("Formatting", "TB"), QT_TRANSLATE_NOOP("Formatting", "PB")};
    if (value < 1024)
        return QString::number(value) + u' ' + QCoreApplication::translate("Formatting", units[0]) + suffix;

    // A double holds every quantity here to far more than the two decimals shown, INT64_MAX
    // included (8192 PB).
    double quantity = double(value);
    std::size_t unit = 0;
    while (quantity >= 1024 && unit + 1 < units.size()) {
        quantity /= 1024;
        ++unit;
    }
    QString text = fixed(quantity, 2);
    text += u' ';
    text += QCoreApplication::translate("Formatting", units[unit]);
    text += suffix;
    return text;
}

QString formatRate(qint64 bytesPerSecond)
{
    return formatBytes(bytesPerSecond, QCoreApplication::translate("Formatting", "/s"));
}

QString formatProgress(double progress)
{
    return fixed(progress * 100, 1) + u'%';
}

QString formatRatio(double ratio)
{
    if (!std::isfinite(ratio))
        return QStringLiteral("∞");
    return fixed(ratio, 2);
}

QString formattedDate(const QDateTime &instant)
{
    if (!instant.isValid())
        return {};
    return formatUDate(UDate(instant.toMSecsSinceEpoch()));
}

QString formattedDate(std::chrono::sys_seconds instant)
{
    // In double milliseconds: seconds x 1000 could overflow 64-bit integers.
    return formatUDate(UDate(instant.time_since_epoch().count()) * 1000.0);
}

QString relativeDateString(const QDateTime &instant, const QDateTime &now)
{
    if (!instant.isValid() || !now.isValid())
        return {};
    Formatters &f = formatters();
    if (!f.relative || !f.calendar)
        return {};

    // Calendar differences in the local zone, largest unit first, each step taking away what
    // the previous ones covered: 47 hours is "1天", 14 days "2周", 3 calendar months "3个月".
    static constexpr std::array<std::pair<UCalendarDateFields, URelativeDateTimeUnit>, 7> steps{{
        {UCAL_YEAR, UDAT_REL_UNIT_YEAR},
        {UCAL_MONTH, UDAT_REL_UNIT_MONTH},
        {UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK},
        {UCAL_DATE, UDAT_REL_UNIT_DAY},
        {UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR},
        {UCAL_MINUTE, UDAT_REL_UNIT_MINUTE},
        {UCAL_SECOND, UDAT_REL_UNIT_SECOND},
    }};
    UErrorCode status = U_ZERO_ERROR;
    icu::Calendar &calendar = *f.calendar;
    calendar.setTime(UDate(now.toMSecsSinceEpoch()), status);
    const UDate target = UDate(instant.toMSecsSinceEpoch());
    icu::UnicodeString text;
    for (const auto &[field, unit] : steps) {
        const int32_t difference = calendar.fieldDifference(target, field, status);
        if (U_FAILURE(status))
            return {};
        if (difference != 0) {
            f.relative->formatNumeric(double(difference), unit, text, status);
            return U_FAILURE(status) ? QString() : toQString(text);
        }
    }
    // Less than a second apart.
    f.relative->format(0.0, UDAT_REL_UNIT_SECOND, text, status);
    return U_FAILURE(status) ? QString() : toQString(text);
}

// A negative entry means nothing: the field's "0" already means no limit.
std::optional<qint64> limitBytes(const QString &kilobytesPerSecond)
{
    QStringView digits(kilobytesPerSecond);
    if (digits.startsWith(u'+') || digits.startsWith(u'-'))
        digits = digits.mid(1);
    if (digits.isEmpty())
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 kilobytes = QStringView(kilobytesPerSecond).toLongLong(&ok, 10);
    if (!ok || kilobytes < 0)
        return std::nullopt;
    qint64 bytes = 0;
    if (qMulOverflow(kilobytes, qint64(1024), &bytes))
        return std::nullopt;
    return bytes;
}

QString kilobytesText(qint64 bytesPerSecond)
{
    return bytesPerSecond < 1 ? QStringLiteral("0") : QString::number(bytesPerSecond / 1024);
}
