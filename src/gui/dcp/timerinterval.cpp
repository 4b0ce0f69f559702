// SPDX-License-Identifier: GPL-3.0-or-later
#include "timerinterval.h"

#include <QString>
#include <cfenv>
#include <cmath>

namespace vtx::dcp {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the number at the start of `text` (after `start`), 0 when there is none.
qsizetype numberLength(QStringView text, qsizetype start)
{
    qsizetype i = start;
    const auto n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < n && isDigit(text[i]))
        ++i;
    qsizetype digits = i - digitsStart;
    if (i < n && text[i] == u'.') {
        const qsizetype afterPoint = i + 1;
        qsizetype j = afterPoint;
        while (j < n && isDigit(text[j]))
            ++j;
        digits += j - afterPoint;
        if (digits > 0)
            i = j;
    }
    if (digits == 0)
        return 0;
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype expDigits = j;
        while (j < n && isDigit(text[j]))
            ++j;
        if (j > expDigits)
            i = j;
    }
    return i - start;
}

qsizetype skipBlanks(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    return i;
}

double roundHalfEven(double value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return rounded;
}

} // namespace

IntervalReading readIntervalText(QStringView text)
{
    const qsizetype start = skipBlanks(text);
    const qsizetype length = numberLength(text, start);
    if (length == 0)
        return {IntervalTextKind::Accepted, 0};
    bool ok = false;
    const double value = text.mid(start, length).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return {IntervalTextKind::OutOfRange, 0};
    const double rounded = roundHalfEven(value);
    if (rounded < kMinimumIntervalMs || rounded > kMaximumIntervalMs)
        return {IntervalTextKind::OutOfRange, 0};
    return {IntervalTextKind::Accepted, static_cast<int>(rounded)};
}

bool isWholeNumber(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    return !trimmed.isEmpty() && numberLength(trimmed, 0) == trimmed.size();
}

} // namespace vtx::dcp
