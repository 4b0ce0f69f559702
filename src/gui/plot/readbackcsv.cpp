// SPDX-License-Identifier: GPL-3.0-or-later
#include "readbackcsv.h"

namespace vtx::plot {

namespace {

QString outcomeText(const WiperSample& sample)
{
    if (sample.kind == WiperSample::Kind::Write)
        return sample.ok ? QStringLiteral("written") : QStringLiteral("write failed");
    return sample.ok ? QStringLiteral("read") : QStringLiteral("read failed");
}

QString optionalNumber(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QString();
}

} // namespace

QString readbackCsv(const RingView<WiperSample>& samples)
{
    QString text = QStringLiteral("time,written,read,outcome\n");
    text.reserve(static_cast<qsizetype>(samples.size()) * 24 + text.size());
    for (const WiperSample& sample : samples) {
        text += QStringLiteral("%1,%2,%3,%4\n")
                    .arg(QString::number(static_cast<double>(sample.timeMs) / 1000.0, 'f', 3),
                         optionalNumber(sample.writtenPosition), optionalNumber(sample.readPosition),
                         outcomeText(sample));
    }
    return text;
}

} // namespace vtx::plot
