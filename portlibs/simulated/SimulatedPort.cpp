#include "SimulatedPort.h"

#include "PortRegisters.h"
#include "SimulatedSignals.h"

namespace tarvik {

namespace {

constexpr short DataRegister = TarvikDataRegister;
constexpr short StatusRegister = TarvikStatusRegister;
constexpr short ControlRegister = TarvikControlRegister;
constexpr std::uint8_t DataLinesIn = TarvikDataLinesIn;
constexpr short NothingThere = 0xFF;

} // namespace

void SimulatedPort::write(short address, short value) {
    const auto byte = static_cast<std::uint8_t>(value & 0xFF);
    if (address == DataRegister) {
        dataWritten_ = byte;
    } else if (address == ControlRegister) {
        control_ = byte;
        dataLinesIn_ = (byte & DataLinesIn) != 0;
        step_ = -1;
        statusRead_ = false;
        clock_.restart();
    }
}

short SimulatedPort::read(short address) {
    switch (address) {
    case StatusRegister:
        step_ = clock_.nextRead();
        statusRead_ = true;
        return simulated::statusAt(step_);
    case DataRegister:
        // A capture of the data lines alone reads no status to move on.
        if (!statusRead_ && dataLinesIn_)
            step_ = clock_.nextRead();
        statusRead_ = false;
        // With the data lines driven by the port, it reads back what was written.
        return dataLinesIn_ ? simulated::dataAt(step_ < 0 ? 0 : step_) : dataWritten_;
    case ControlRegister:
        return control_;
    default:
        return NothingThere;
    }
}

} // namespace tarvik
