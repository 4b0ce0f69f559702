// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "simboardstate.h"

#include <QLockFile>
#include <QString>

namespace vtx {

// The simulated board's state in a small JSON file, so that the board behaves like one that stays powered
// between programs: `vtxctl --simulate dcp set 65` and then `vtxctl --simulate dcp get` read 65, and
// `vtx-eval --simulate` sees the same board. The file is replaced whole (QSaveFile) at every save, so a
// program killed in the middle leaves the previous state. A lock file beside it lets one program at a time
// have the board, as the USB module itself can be claimed by one program only; a lock that nobody can hold
// the board through (its program died, it cannot be read, it was written on another host) is taken over.
// Where no lock file can be made (a read-only state directory) the board is kept in memory for the run.
class SimBoardStateFile final : public SimBoardStore {
public:
    explicit SimBoardStateFile(const QString& path);
    ~SimBoardStateFile() override;
    SimBoardStateFile(const SimBoardStateFile&) = delete;
    SimBoardStateFile& operator=(const SimBoardStateFile&) = delete;

    // <state directory>/vtx-eval/simulated-board.json: $XDG_STATE_HOME, or ~/.local/state, on Linux and other
    // XDG systems; the application data folder elsewhere. The same for every program of ours.
    static QString defaultPath();

    const QString& path() const { return m_path; }

    bool claim() override;
    void release() override;
    std::optional<SimBoardState> load() override;
    void save(const SimBoardState& state) override;
    QString holder() const override;

private:
    // Removes a lock that nobody can hold the board through, saying so.
    void takeOverLock(const QString& why);
    // Temporary files of saves that never ended, older than a day.
    void removeOldTemporaries();

    const QString m_path;
    QLockFile m_lock;
    bool m_inMemoryOnly =
        false;        // claimed without a lock file, or the file unreadable: the state cannot be kept
    QString m_holder; // who has the board and how to free it, after a claim that failed
    bool m_unreadableReported = false; // an unreadable state file is told once, not at every open
    bool m_inMemoryReported = false;   // so is a state that cannot be kept
};

} // namespace vtx
