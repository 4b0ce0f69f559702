// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"
#include "platform/moduleids.h"
#include "platform/notificationqueue.h"
#include "simboardstate.h"
#include "simi2cdevices.h"
#include "platform/usbdriver.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace vtx {

// The simulated evaluation board: a USB control module (out pipes 1 to 4, in pipes 0x81 to 0x83) with an
// I2C bus that carries the VTX8303 at 0x9E and a register device at 0xC0. It is just another driver; the
// program uses it with --simulate, and every test above platform/ uses it. It never sleeps: reading an in
// pipe with nothing queued returns a timeout at once.
class SimulatedBoard final : public UsbDriver {
public:
    // Byte 5 of the bridge query reply: 0 is a kind-1 module, 2 a kind-2 module, anything else unknown.
    static constexpr std::uint8_t kKind1Byte = 0;
    static constexpr std::uint8_t kKind2Byte = 2;
    // The simulated module carries the real module's IDs, so it answers the same match.
    static constexpr std::uint16_t kVendorId = kModuleVendorId;
    static constexpr std::uint16_t kProductId = kModuleProductId;

    // The board reads time from `clock` and lets each transfer take `transferTimeMs` on it; the clock must
    // outlive the board.
    explicit SimulatedBoard(Clock& clock);
    ~SimulatedBoard() override;

    // UsbDriver
    DriverStatus init(const UsbMatch& match, Notifications notifications,
                      DriverHandle& driverHandle) override;
    void uninit(DriverHandle driverHandle) override;
    void closeDriverHandle(DriverHandle driverHandle) override;
    DriverStatus getDeviceInfo(DeviceHandle device, DeviceInfo& info) override;
    DriverStatus setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                              std::uint32_t alternateSetting) override;
    DriverStatus transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                          std::uint32_t options, std::span<std::uint8_t> buffer,
                          std::uint32_t& bytesTransferred, std::uint32_t timeoutMs) override;
    void resetDevice(DeviceHandle device, std::uint32_t options) override;
    QString statusText(DriverStatus status) const override;
    QString bannerText() const override { return QStringLiteral("Simulated evaluation board"); }

    // Keeps the board's state in `store` from now on (it must outlive the board): the state is loaded when
    // a program opens the driver, saved when the driver is released and, while it runs, with a change at most
    // once every kSaveIntervalMs (a sweep is one save, not one per position); the board is this program's
    // until the driver is released. While another program has it, the module is there but cannot be had: the
    // driver starts, no attach comes, and the link learns that the module is busy. Without a store (tests)
    // the board lives in memory only.
    void setStore(SimBoardStore* store) { m_store = store; }
    static constexpr std::int64_t kSaveIntervalMs = 1000;
    // The time the saves are spaced on: the time of day unless a test gives its own clock (it must outlive
    // the board). Not the board's clock, which may run with the traffic, far faster than the disk.
    void setSaveClock(const Clock& clock) { m_saveClock = &clock; }
    SimBoardState state() const;
    void restore(const SimBoardState& state);

    // The board.
    SimVtx8303& dcp() { return *m_dcp; }
    SimRegisterDevice& registerDevice() { return *m_registerDevice; }
    void setKindByte(std::uint8_t kindByte) { m_kindByte = kindByte; }
    std::uint8_t kindByte() const { return m_kindByte; }
    // The I2C out pipe of the module's kind (3 for kind 1, 2 for kind 2), 0 for an unknown kind.
    std::uint32_t i2cOutPipe() const;
    // Module registers written directly on pipe 4 (7-bit register address).
    std::uint8_t moduleRegister(std::uint8_t address) const { return m_moduleRegisters[address & 0x7F]; }
    // The device handle of the module while it is attached to an initialised driver, else 0.
    DeviceHandle currentHandle() const { return m_currentHandle; }
    bool isInitialised() const { return m_initialised; }
    // Port resets the module went through (a hard reset, or a soft one after a transfer that left it unusable).
    std::uint64_t portResetCount() const { return m_portResets; }

    // Fault injection.
    void unplug(); // detach notification; every call on the old handle fails
    void plug();   // attach notification with a new handle
    bool isPluggedIn() const { return m_pluggedIn; }
    void failInit(DriverStatus status) { m_initFailure = status; }
    void failDeviceInfo(DriverStatus status) { m_deviceInfoFailure = status; }
    void failSetInterface(DriverStatus status) { m_setInterfaceFailure = status; }
    void setNoPipes(bool noPipes) { m_noPipes = noPipes; }
    // Transfers on `pipe` fail with `status` (a timeout, an I/O error, any raw code) the next `times` times
    // (negative: until cleared).
    void failPipe(std::uint32_t pipe, DriverStatus status, int times = -1);
    // The next reply queued on an in pipe is cut to `length` bytes.
    void shortenNextReply(std::uint32_t inPipe, std::size_t length);
    // A device that stops answering on the bus (its address is not acknowledged), or answers again.
    void setDeviceAnswers(std::uint8_t writeAddress, bool answers);
    void clearFaults();

    // How long one transfer takes on the board's clock (0 by default: the module answers at once). Tests set
    // it on a manual clock so that time moves with the traffic, as it does on a real bus.
    void setTransferTimeMs(std::int64_t ms) { m_transferTimeUs = ms * 1000; }
    void setTransferTimeUs(std::int64_t us) { m_transferTimeUs = us; }

private:
    // Success for the current handle, DeviceGone for a handle that an unplug retired, else InvalidHandle.
    DriverStatus checkDevice(DeviceHandle device) const;
    DeviceInfo makeDeviceInfo() const;
    // Takes the next injected failure of `pipe`, if any.
    std::optional<DriverStatus> takePipeFailure(std::uint32_t pipe);
    void handleOutPipe(std::uint32_t pipe, std::span<const std::uint8_t> bytes);
    void runI2cCommand(std::uint32_t outPipe, std::span<const std::uint8_t> bytes);
    void queueReply(std::uint32_t inPipe, std::vector<std::uint8_t> reply);
    std::vector<std::uint8_t> bridgeQueryReply() const;
    SimI2cDevice* deviceAt(std::uint8_t addressByte);
    void attachModule();
    // Saves the board's state to its store when it changed since the last save: at once, or only when the
    // last save is kSaveIntervalMs old.
    enum class Save { Now, Spaced };
    void persist(Save when = Save::Spaced);

    Clock& m_clock;
    std::unique_ptr<SimVtx8303> m_dcp;
    std::unique_ptr<SimRegisterDevice> m_registerDevice;
    NotificationQueue m_notifications;
    std::uint8_t m_kindByte = kKind1Byte;
    std::array<std::uint8_t, 128> m_moduleRegisters{};
    bool m_initialised = false;
    bool m_pluggedIn = true;
    DriverHandle m_nextDriverHandle = 1;
    DeviceHandle m_nextDeviceHandle = 0x00A10001;
    DeviceHandle m_currentHandle = 0;
    DriverHandle m_driverHandle = 0;      // the handle the last successful init gave out, 0 after uninit
    std::set<DeviceHandle> m_goneHandles; // handles retired by unplug since init
    std::optional<DriverStatus> m_initFailure;
    std::optional<DriverStatus> m_deviceInfoFailure;
    std::optional<DriverStatus> m_setInterfaceFailure;
    bool m_noPipes = false;
    bool m_unusable = false; // the last transfer on the current handle left the module unusable
    std::uint64_t m_portResets = 0;
    std::map<std::uint32_t, std::pair<DriverStatus, int>> m_pipeFailures;
    std::map<std::uint32_t, std::size_t> m_shortReplies;
    std::map<std::uint32_t, std::deque<std::vector<std::uint8_t>>> m_replies; // by in pipe
    std::map<std::uint8_t, bool> m_silentDevices;
    SimBoardStore* m_store = nullptr;
    bool m_holdsStore = false;       // this program has the board, between init and uninit
    bool m_claimedElsewhere = false; // since init: another program has it
    SimBoardState m_savedState;
    SteadyClock m_timeOfDay;
    const Clock* m_saveClock = &m_timeOfDay;
    std::int64_t m_savedAtMs = 0; // on m_saveClock: the last save, or the claim
    std::int64_t m_transferTimeUs = 0;
};

} // namespace vtx
