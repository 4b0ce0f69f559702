// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dcpdevice.h"
#include "wiperposition.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vtx {

// What a sweep does: positions `from` to `to` (either way round) every `step` positions, each written in
// `mode` and read back. In Register mode the wiper is put back afterwards unless `restoreWiper` is off; in
// EEPROM mode it is not (that would cost the EEPROM one more write).
struct SweepSettings {
    int from = kFirstPosition;
    int to = kLastPosition;
    int step = 1;
    ProgrammingMode mode = ProgrammingMode::Register;
    bool restoreWiper = true;
    std::uint8_t writeAddress = 0x9E; // the read address is the next one
};

// One position of a sweep.
struct SweepRow {
    enum class Outcome { Match, Mismatch, WriteFailed, WriteCycleTimedOut, ReadFailed };
    int position = 0;
    std::uint8_t written = 0;             // the data byte sent
    std::optional<std::uint8_t> readByte; // the byte read back
    Outcome outcome = Outcome::Match;
    std::optional<std::int64_t> writeCycleUs; // EEPROM mode: the measured write cycle
    std::optional<Failure> failure;           // WriteFailed, ReadFailed

    std::optional<int> readPosition() const;
    bool matches() const { return outcome == Outcome::Match; }
};

// A sweep one position at a time, so that a window can run each position as a transaction of its own and
// stay responsive between them; runSweep() below does it all in one go. The link must be open around each
// call; nothing here opens or closes it.
class DcpSweep {
public:
    DcpSweep(DcpDevice& dcp, SweepSettings settings);

    // The positions a sweep visits, in order; none for a step below 1 or a position outside 1 to 128.
    static std::vector<int> positions(const SweepSettings& settings);

    // Reads where the wiper is, to put it back at the end (only when the settings ask for it).
    Result<Done> begin();
    // Writes and reads back the next position. Failure when the write or the read failed; the row (with its
    // outcome) is recorded either way.
    Result<SweepRow> step();
    bool atEnd() const { return m_next >= m_positions.size(); }
    // Puts the wiper back where begin() found it (Register mode with restoreWiper); Done when there is
    // nothing to put back.
    Result<Done> restore();

    const SweepSettings& settings() const { return m_settings; }
    int total() const { return static_cast<int>(m_positions.size()); }
    int done() const { return static_cast<int>(m_next); }
    const std::vector<SweepRow>& rows() const { return m_rows; }
    // Rows whose read-back named another position.
    int mismatchCount() const { return m_mismatches; }
    // The wiper position begin() read, when it read one.
    std::optional<int> startPosition() const { return m_startPosition; }

private:
    bool restores() const;

    DcpDevice& m_dcp;
    const SweepSettings m_settings;
    const std::vector<int> m_positions;
    std::size_t m_next = 0;
    std::vector<SweepRow> m_rows;
    int m_mismatches = 0;
    std::optional<int> m_startPosition;
};

// How a whole sweep ended.
struct SweepReport {
    enum class End { Completed, Stopped, LinkFailed };
    End end = End::Completed;
    std::vector<SweepRow> rows;
    int mismatches = 0;
    std::optional<Failure> linkFailure; // LinkFailed: the failure that ended it
    bool restored = false;              // the wiper was put back
};

// Called after each position with the row, how many are done and how many there are; false stops the sweep.
using SweepProgress = std::function<bool(const SweepRow& row, int done, int total)>;

// Runs a whole sweep: begin, every position (ending early at a link failure or when `progress` says stop),
// then the wiper put back. Failure when the sweep could not start (the wiper could not be read to put it
// back later).
Result<SweepReport> runSweep(DcpDevice& dcp, const SweepSettings& settings,
                             const SweepProgress& progress = {});

// A row in words for tables and reports: "OK", "mismatch", "write failed", "write cycle timed out",
// "read failed".
QString sweepOutcomeText(SweepRow::Outcome outcome);
// Comma-separated values, one row per position: the header, then the fields of each row (position, byte
// written, byte read, position read, outcome, write cycle in ms; blank where there is none).
QString sweepCsvHeader();
QString sweepCsvLine(const SweepRow& row);

} // namespace vtx
