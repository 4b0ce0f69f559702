// SPDX-License-Identifier: GPL-3.0-or-later
#include "simi2cdevices.h"

#include "common/logging.h"

#include <algorithm>

namespace vtx {

namespace {

// Reset values of the register device. The first two are fixed identification registers; the rest are the
// values the register tool's default map expects after power-up, so a fresh board reads back something that
// looks like a live part rather than a field of zeros.
struct RegisterDefault {
    std::uint8_t address;
    std::uint8_t value;
};

constexpr RegisterDefault kRegisterDefaults[] = {
    {0x00, SimRegisterDevice::kProductId}, // product ID (read-only)
    {0x01, SimRegisterDevice::kRevision},  // revision (read-only)
    {0x02, 0x00},                          // Error_Flag: no error pending
    {0x03, 0x01},                          // Control: enabled
    {0x04, 0x0F},                          // RX Control
    {0x05, 0x0F},                          // TX Control
    {0x06, 0x00},                          // Test Registers: test modes off
    {0x07, 0x00},                          // Error Counter
    {0x08, 0x20},                          // TA time
    {0x09, 0x00},                          // Outgoing packet data fetch location
    {0x0A, 0x00},                          // Remote Device ID
    {0x0B, 0x00},                          // Remote memory address
    {0x0C, 0x01},                          // Outgoing packet data field size: one byte
    {0x0D, 0x00},                          // Side traffic control
    {0x0E, 0x00},                          // Local I2C Data location
    {0x0F, 0x9E},                          // Local I2C Device ID: the DCP on this board
    {0x10, 0x00},                          // Local I2C Memory addr
    {0x11, 0x01},                          // Local I2C data size: one byte
    {0x12, 0x00},                          // I2C master control
    {0x13, 0x00},                          // Error_flag received
    // 0x14 to 0x17 are unused and read 0.
    {0x18, 0x00}, // misc_contrl
    {0x19, 0x44}, // Analog Settings: mid-range bias and gain
    {0x1A, 0x00}, // Misc_Powerdown: everything powered
    {0x1B, 0x00}, // Clock randomizer control: off
    {0x1C, 0x80}, // Status1: power-good
    {0x1D, 0x00}, // Status2
};

constexpr bool isReadOnlyRegister(std::uint8_t address)
{
    return address == 0x00 || address == 0x01;
}

} // namespace

SimVtx8303::SimVtx8303(const Clock& clock, std::uint8_t eepromCode)
    : m_clock(clock), m_wiper(eepromCode & 0x7F), m_eeprom(eepromCode & 0x7F)
{
}

bool SimVtx8303::acknowledges() const
{
    return m_clock.nowUs() >= m_busyUntilUs;
}

std::int64_t SimVtx8303::nextWriteCycleUs()
{
    if (m_jitterUs <= 0)
        return m_writeCycleUs;
    std::uniform_int_distribution<std::int64_t> spread(-m_jitterUs, m_jitterUs);
    return std::max<std::int64_t>(0, m_writeCycleUs + spread(m_cycleRandom));
}

int SimVtx8303::write(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return 0;
    const std::uint8_t data = bytes.front();
    const std::uint8_t code = data >> 1;
    if ((data & 0x01) != 0) {
        m_wiper = code;
        qCDebug(lcSim) << "VTX8303: wiper register <-" << code;
    } else {
        m_wiper = code;
        m_eeprom = code;
        // The part goes deaf for its whole write cycle; callers see that as a missing acknowledge.
        m_lastCycleUs = nextWriteCycleUs();
        m_busyUntilUs = m_clock.nowUs() + m_lastCycleUs;
        qCDebug(lcSim) << "VTX8303: EEPROM <-" << code << ", busy for" << m_lastCycleUs << "us";
    }
    // The part has a single data register: a second byte in the same transaction is not acknowledged.
    return 1;
}

std::uint8_t SimVtx8303::read(std::optional<std::uint8_t> /*reg*/)
{
    // One register only, so a register address in front of the read makes no difference.
    std::uint8_t byte = static_cast<std::uint8_t>(m_wiper << 1);
    if (m_stuckBit) {
        const auto mask = static_cast<std::uint8_t>(1u << m_stuckBit->bit);
        byte = m_stuckBit->level ? static_cast<std::uint8_t>(byte | mask)
                                 : static_cast<std::uint8_t>(byte & ~mask);
    }
    return byte;
}

SimRegisterDevice::SimRegisterDevice()
{
    for (const auto& [address, value] : kRegisterDefaults)
        m_regs[address] = value;
}

int SimRegisterDevice::write(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return 0;
    m_pointer = bytes.front();
    // Data bytes go to consecutive registers; the pointer itself stays on the register the write named, so
    // a following current-register read returns that register.
    auto target = m_pointer;
    for (const auto value : bytes.subspan(1)) {
        // Read-only registers still acknowledge, as the real part does; the value is just not taken.
        if (!isReadOnlyRegister(target))
            m_regs[target] = value;
        qCDebug(lcSim) << "register device: reg" << Qt::hex << target << "<-" << value
                       << (isReadOnlyRegister(target) ? "(read-only, ignored)" : "");
        ++target;
    }
    return static_cast<int>(bytes.size());
}

std::uint8_t SimRegisterDevice::read(std::optional<std::uint8_t> reg)
{
    if (reg)
        m_pointer = *reg;
    return m_regs[m_pointer];
}

} // namespace vtx
