// The simulated device's request handling: any sequence of requests (command byte, 16-bit
// payload length, payload) against one device, with the bootloader and the content faults
// picked by the input, and the firmware install a restart does.
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "sim/CommandHandler.h"
#include "sim/DeviceModel.h"

using namespace orvane;

namespace {

// Building the 8 MiB flash takes long; no request writes it, so one copy serves every input
// and the rest of the device starts afresh each time.
sim::DeviceModel& freshModel() {
    static const sim::DeviceModel factory;
    static sim::DeviceModel model;
    model.identifier = factory.identifier;
    model.wifiMac = factory.wifiMac;
    model.ethMac = factory.ethMac;
    model.firmwareVersion = factory.firmwareVersion;
    model.bootloaderVersion = factory.bootloaderVersion;
    model.mode = factory.mode;
    model.fs = factory.fs;
    model.assignParams(factory.params());
    return model;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    freshModel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    sim::DeviceModel& model = freshModel();
    sim::CommandHandler handler(model);
    sim::ContentFaults faults;
    const bool bootloader = data[0] & 1;
    faults.refuse = data[0] & 2;
    faults.flashZeroCount = data[0] & 4;
    faults.keepIdentifier = data[0] & 8;
    faults.shortReadFileBy = (data[0] >> 4) & 3;
    faults.flashCountSkew = int8_t(data[1]) / 16;
    faults.corruptUploads = data[1] & 1;
    faults.keepParams = data[1] & 2;
    size_t at = 2;
    while (at + 3 <= size) {
        const uint8_t command = data[at];
        const size_t length = std::min<size_t>(data[at + 1] | (data[at + 2] << 8), size - at - 3);
        at += 3;
        const std::vector<uint8_t> payload(data + at, data + at + length);
        at += length;
        const auto result = handler.handle(command, payload, bootloader, faults);
        fuzz::expect(result.payload.size() <= sim::kMaxReplyPayload + 0x10000,
                     "a reply larger than any the device sends");
        if (result.action == sim::CommandHandler::Action::Restart) {
            model.applyUpdates();
            handler.reset();
        }
    }
    return 0;
}
