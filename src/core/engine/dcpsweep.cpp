// SPDX-License-Identifier: GPL-3.0-or-later
#include "dcpsweep.h"

#include "common/textformat.h"

namespace vtx {

std::optional<int> SweepRow::readPosition() const
{
    return readByte ? std::optional<int>(positionFromRead(*readByte)) : std::nullopt;
}

DcpSweep::DcpSweep(DcpDevice& dcp, SweepSettings settings)
    : m_dcp(dcp), m_settings(settings), m_positions(positions(settings))
{
    m_rows.reserve(m_positions.size());
}

std::vector<int> DcpSweep::positions(const SweepSettings& settings)
{
    const auto valid = [](int p) { return p >= kFirstPosition && p <= kLastPosition; };
    if (settings.step < 1 || !valid(settings.from) || !valid(settings.to))
        return {};
    std::vector<int> result;
    const int direction = settings.to >= settings.from ? 1 : -1;
    for (int p = settings.from; direction * (settings.to - p) >= 0; p += direction * settings.step)
        result.push_back(p);
    return result;
}

bool DcpSweep::restores() const
{
    return m_settings.restoreWiper && m_settings.mode == ProgrammingMode::Register;
}

Result<Done> DcpSweep::begin()
{
    if (!restores())
        return Result<Done>::success({}, {});
    const Result<std::uint8_t> read = m_dcp.read(static_cast<std::uint8_t>(m_settings.writeAddress + 1));
    if (!read)
        return Result<Done>::failure(read.reply(), read.failure());
    m_startPosition = positionFromRead(read.value());
    return Result<Done>::success(read.reply(), {});
}

Result<SweepRow> DcpSweep::step()
{
    SweepRow row;
    row.position = m_positions.at(m_next++);
    row.written = dataByteFor(row.position, m_settings.mode);
    const auto record = [this](SweepRow r, const protocol::I2cReply& reply,
                               std::optional<Failure> failure) -> Result<SweepRow> {
        r.failure = failure;
        if (r.outcome == SweepRow::Outcome::Mismatch)
            ++m_mismatches;
        m_rows.push_back(r);
        if (failure)
            return Result<SweepRow>::failure(reply, *failure);
        return Result<SweepRow>::success(reply, std::move(r));
    };

    const Result<Done> write = m_dcp.write(m_settings.writeAddress, row.written);
    if (!write) {
        row.outcome = SweepRow::Outcome::WriteFailed;
        return record(row, write.reply(), write.failure());
    }
    if (m_settings.mode == ProgrammingMode::Eeprom) {
        const WriteCycle cycle = m_dcp.finishWriteCycle();
        if (cycle.state == WriteCycle::State::Finished)
            row.writeCycleUs = cycle.elapsedUs;
        if (cycle.state == WriteCycle::State::TimedOut) {
            row.outcome = SweepRow::Outcome::WriteCycleTimedOut;
            return record(row, write.reply(), std::nullopt);
        }
    }
    // After an EEPROM write the poll the part answered is the read-back.
    const Result<std::uint8_t> read = m_dcp.readBack(static_cast<std::uint8_t>(m_settings.writeAddress + 1));
    if (!read) {
        row.outcome = SweepRow::Outcome::ReadFailed;
        return record(row, read.reply(), read.failure());
    }
    row.readByte = read.value();
    row.outcome = positionFromRead(read.value()) == row.position ? SweepRow::Outcome::Match
                                                                 : SweepRow::Outcome::Mismatch;
    return record(row, read.reply(), std::nullopt);
}

Result<Done> DcpSweep::restore()
{
    if (!restores() || !m_startPosition)
        return Result<Done>::success({}, {});
    return m_dcp.write(m_settings.writeAddress, dataByteFor(*m_startPosition, ProgrammingMode::Register));
}

Result<SweepReport> runSweep(DcpDevice& dcp, const SweepSettings& settings, const SweepProgress& progress)
{
    DcpSweep sweep(dcp, settings);
    if (const Result<Done> begun = sweep.begin(); !begun)
        return Result<SweepReport>::failure(begun.reply(), begun.failure());
    SweepReport report;
    protocol::I2cReply lastReply{};
    while (!sweep.atEnd()) {
        const Result<SweepRow> step = sweep.step();
        lastReply = step.reply();
        if (!step && step.failure().kind == Failure::Kind::Link) {
            report.end = SweepReport::End::LinkFailed;
            report.linkFailure = step.failure();
            break;
        }
        if (progress && !progress(sweep.rows().back(), sweep.done(), sweep.total())) {
            report.end = SweepReport::End::Stopped;
            break;
        }
    }
    if (report.end != SweepReport::End::LinkFailed)
        report.restored = sweep.startPosition().has_value() && sweep.restore().ok();
    report.rows = sweep.rows();
    report.mismatches = sweep.mismatchCount();
    return Result<SweepReport>::success(lastReply, std::move(report));
}

QString sweepOutcomeText(SweepRow::Outcome outcome)
{
    switch (outcome) {
    case SweepRow::Outcome::Match:
        return QStringLiteral("OK");
    case SweepRow::Outcome::Mismatch:
        return QStringLiteral("mismatch");
    case SweepRow::Outcome::WriteFailed:
        return QStringLiteral("write failed");
    case SweepRow::Outcome::WriteCycleTimedOut:
        return QStringLiteral("write cycle timed out");
    case SweepRow::Outcome::ReadFailed:
        return QStringLiteral("read failed");
    }
    return {};
}

QString sweepCsvHeader()
{
    return QStringLiteral("position,written,read,read position,outcome,write cycle ms");
}

QString sweepCsvLine(const SweepRow& row)
{
    const QString read = row.readByte ? hex2Text(*row.readByte) : QString();
    const QString readPosition = row.readPosition() ? QString::number(*row.readPosition()) : QString();
    const QString cycle = row.writeCycleUs
                              ? QString::number(static_cast<double>(*row.writeCycleUs) / 1000.0, 'f', 1)
                              : QString();
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(row.position)
        .arg(hex2Text(row.written), read, readPosition, sweepOutcomeText(row.outcome), cycle);
}

} // namespace vtx
