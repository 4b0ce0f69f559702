#pragma once

#include "common/clock.h"

#include <array>
#include <cstdint>
#include <optional>
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
class SimVtx8303 final : public SimI2cDevice {
public:
    static constexpr std::uint8_t kWriteAddress = 0x9E;
    // A real part is busy for typically 5 ms after an EEPROM write (datasheets allow 10 to 20 ms at most) and
    // acknowledges nothing meanwhile; the program polls it until it answers again.
    static constexpr std::int64_t kDefaultWriteCycleMs = 5;

    explicit SimVtx8303(const Clock& clock, std::uint8_t eepromCode = 63);

    std::uint8_t writeAddress() const override { return kWriteAddress; }
    bool acknowledges() const override;
    int write(std::span<const std::uint8_t> bytes) override;
    std::uint8_t read(std::optional<std::uint8_t> reg) override;

    std::uint8_t wiperCode() const { return m_wiper; }   // 0 to 127
    std::uint8_t eepromCode() const { return m_eeprom; } // 0 to 127
    bool busy() const { return !acknowledges(); }
    void powerUp() { m_wiper = m_eeprom; }
    void setWriteCycleMs(std::int64_t ms) { m_writeCycleMs = ms; }
    std::int64_t writeCycleMs() const { return m_writeCycleMs; }

private:
    const Clock& m_clock;
    std::int64_t m_writeCycleMs = kDefaultWriteCycleMs;
    std::uint8_t m_wiper;
    std::uint8_t m_eeprom;
    std::int64_t m_busyUntilMs = 0;
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

private:
    std::array<std::uint8_t, 256> m_regs{};
    std::uint8_t m_pointer = 0;
};

} // namespace vtx
