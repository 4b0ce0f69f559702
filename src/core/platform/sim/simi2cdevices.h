// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <span>

namespace vtx {

// A device on the simulated I2C bus. Addresses are 8-bit write address bytes (bit 0 clear).
class SimI2cDevice {
public:
    virtual ~SimI2cDevice() = default;
    virtual std::uint8_t writeAddress() const = 0;
    // Whether the device acknowledges its address right now (a busy device does not).
    virtual bool acknowledges() const = 0;
    // A write transaction after the acknowledged address byte; returns how many of the bytes the device
    // acknowledged (it stops at the first one it does not).
    virtual int write(std::span<const std::uint8_t> bytes) = 0;
    // A read of one byte: from the current register, or from `reg` after a register-address write.
    virtual std::uint8_t read(std::optional<std::uint8_t> reg) = 0;
};

// The VTX8303 potentiometer: a volatile wiper register and an EEPROM, 128 positions. Bit 0 of a written data
// byte chooses the register (1) or the EEPROM (0); bits 7 to 1 carry the wiper code. An EEPROM write also
// sets the wiper and keeps the device busy (not acknowledging) for its write cycle. A read returns the wiper
// code in bits 7 to 1. At power-up the wiper takes the EEPROM value.
//
// Like a real part, each write cycle lasts a little more or less than its nominal time (a seeded sequence,
// so a run repeats). A test can make one bit of the wiper read back stuck at 0 or 1, as a damaged part or a
// short on the board would.
class SimVtx8303 final : public SimI2cDevice {
public:
    static constexpr std::uint8_t kWriteAddress = 0x9E;
    // A real part is busy for typically 5 ms after an EEPROM write (datasheets allow 10 to 20 ms at most) and
    // acknowledges nothing meanwhile; the program polls it until it answers again.
    static constexpr std::int64_t kDefaultWriteCycleMs = 5;
    // Each cycle lies within this many microseconds either side of the nominal time.
    static constexpr std::int64_t kDefaultWriteCycleJitterUs = 300;

    explicit SimVtx8303(const Clock& clock, std::uint8_t eepromCode = 63);

    std::uint8_t writeAddress() const override { return kWriteAddress; }
    bool acknowledges() const override;
    int write(std::span<const std::uint8_t> bytes) override;
    std::uint8_t read(std::optional<std::uint8_t> reg) override;

    std::uint8_t wiperCode() const { return m_wiper; }   // 0 to 127
    std::uint8_t eepromCode() const { return m_eeprom; } // 0 to 127
    bool busy() const { return !acknowledges(); }
    void powerUp() { m_wiper = m_eeprom; }
    // The part stood still from `fromUs` to `toUs`: a write cycle under way at `fromUs` ends that much later.
    // Time the simulation spends on its own work (saving the board's state) is not time the part spends
    // writing.
    void standStill(std::int64_t fromUs, std::int64_t toUs)
    {
        if (m_busyUntilUs > fromUs)
            m_busyUntilUs += toUs - fromUs;
    }
    // The wiper and EEPROM as a board that stayed powered kept them (codes 0 to 127).
    void restore(std::uint8_t wiperCode, std::uint8_t eepromCode)
    {
        m_wiper = wiperCode & 0x7F;
        m_eeprom = eepromCode & 0x7F;
    }
    // The nominal write cycle, and how far one cycle may stray from it (0: every cycle takes exactly the
    // nominal time).
    void setWriteCycleMs(std::int64_t ms) { m_writeCycleUs = ms * 1000; }
    std::int64_t writeCycleMs() const { return m_writeCycleUs / 1000; }
    void setWriteCycleJitterUs(std::int64_t us) { m_jitterUs = us; }
    std::int64_t writeCycleJitterUs() const { return m_jitterUs; }
    // How long the last EEPROM write kept the part busy.
    std::int64_t lastWriteCycleUs() const { return m_lastCycleUs; }

    // Bit `bit` (0 to 7) of every byte read back is `level`, whatever the wiper holds.
    void setStuckReadBit(int bit, bool level) { m_stuckBit = StuckBit{bit, level}; }
    void clearStuckReadBit() { m_stuckBit.reset(); }

private:
    struct StuckBit {
        int bit;
        bool level;
    };
    std::int64_t nextWriteCycleUs();

    const Clock& m_clock;
    std::int64_t m_writeCycleUs = kDefaultWriteCycleMs * 1000;
    std::int64_t m_jitterUs = kDefaultWriteCycleJitterUs;
    std::int64_t m_lastCycleUs = 0;
    std::minstd_rand m_cycleRandom{8303};
    std::optional<StuckBit> m_stuckBit;
    std::uint8_t m_wiper;
    std::uint8_t m_eeprom;
    std::int64_t m_busyUntilUs = 0;
};

// A general register device with 256 byte registers. The first registers follow the register tool's default
// register map; register 0x00 (product ID) and 0x01 (revision) are read-only. A write transaction carries the
// register address and then data bytes; a read without a register returns the register that the last
// register-address write selected.
class SimRegisterDevice final : public SimI2cDevice {
public:
    static constexpr std::uint8_t kWriteAddress = 0xC0;
    static constexpr std::uint8_t kProductId = 0x83;
    static constexpr std::uint8_t kRevision = 0x21;

    SimRegisterDevice();

    std::uint8_t writeAddress() const override { return kWriteAddress; }
    bool acknowledges() const override { return true; }
    int write(std::span<const std::uint8_t> bytes) override;
    std::uint8_t read(std::optional<std::uint8_t> reg) override;

    std::uint8_t reg(std::uint8_t address) const { return m_regs[address]; }
    void setReg(std::uint8_t address, std::uint8_t value) { m_regs[address] = value; }
    const std::array<std::uint8_t, 256>& registers() const { return m_regs; }
    std::uint8_t pointer() const { return m_pointer; }
    // The registers and pointer as a board that stayed powered kept them.
    void restore(const std::array<std::uint8_t, 256>& registers, std::uint8_t pointer)
    {
        m_regs = registers;
        m_pointer = pointer;
    }

private:
    std::array<std::uint8_t, 256> m_regs{};
    std::uint8_t m_pointer = 0;
};

} // namespace vtx
