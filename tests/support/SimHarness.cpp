#include "SimHarness.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "sim/Simulator.h"

namespace orvane::test {

namespace fs = std::filesystem;

struct SimHarness::Impl {
    std::string dir;
    bool ownsDir = false;
    std::unique_ptr<sim::Simulator> sim;
};

namespace {

std::string makeTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvane-ports-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create " + pattern);
    return pattern;
}

}  // namespace

SimHarness::SimHarness(sim::SimOptions options) : d(std::make_unique<Impl>()) {
    // A given directory (a second device beside another harness's) is used as it is and
    // left in place; otherwise the harness owns a fresh one.
    if (options.portsDir.empty()) {
        d->dir = makeTempDir();
        d->ownsDir = true;
        options.portsDir = d->dir;
    } else {
        d->dir = options.portsDir;
    }
    ::setenv("ORVANE_VIRTUAL_PORTS", d->dir.c_str(), 1);
    d->sim = std::make_unique<sim::Simulator>(std::move(options));
}

SimHarness::~SimHarness() {
    d->sim->stop();
    std::error_code ignored;
    if (d->ownsDir) fs::remove_all(d->dir, ignored);
}

void SimHarness::start() {
    if (d->sim->isRunning()) {
        if (d->sim->portPath().empty()) {
            d->sim->replug();
            if (!d->sim->waitForPort(10000)) throw std::runtime_error("simulated device did not return");
        }
        return;
    }
    std::string error;
    if (!d->sim->start(&error)) throw std::runtime_error("simulated device: " + error);
}

void SimHarness::stop() { d->sim->stop(); }

std::string SimHarness::portsDir() const { return d->dir; }

std::string SimHarness::portPath() const { return d->sim->portPath(); }

bool SimHarness::waitForPort(int timeoutMs) { return d->sim->waitForPort(timeoutMs); }

bool SimHarness::waitForAbsence(int timeoutMs) { return d->sim->waitForAbsence(timeoutMs); }

int SimHarness::restartCount() const { return d->sim->restartCount(); }

void SimHarness::updateOptions(const std::function<void(sim::SimOptions&)>& change) {
    d->sim->updateOptions(change);
}

sim::Simulator& SimHarness::simulator() { return *d->sim; }

std::vector<ReceivedRequest> SimHarness::received() const {
    std::vector<ReceivedRequest> out;
    for (auto& f : d->sim->received()) out.push_back(ReceivedRequest{f.command, std::move(f.payload)});
    return out;
}

std::vector<ReceivedRequest> SimHarness::received(uint8_t command) const {
    std::vector<ReceivedRequest> out;
    for (auto& f : d->sim->received()) {
        if (f.command == command) out.push_back(ReceivedRequest{f.command, std::move(f.payload)});
    }
    return out;
}

void SimHarness::clearReceived() { d->sim->clearReceived(); }

std::map<std::string, std::vector<uint8_t>> SimHarness::files() const {
    std::map<std::string, std::vector<uint8_t>> out;
    d->sim->inspect([&](const sim::DeviceModel& m) { out = m.fs.snapshot(); });
    return out;
}

void SimHarness::putFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    bool ok = false;
    std::string why;
    d->sim->modify([&](sim::DeviceModel& m) { ok = m.fs.store(path, bytes, &why); });
    if (!ok) throw std::runtime_error("cannot put " + path + " on the simulated device: " + why);
}

void SimHarness::removeAllFiles() {
    d->sim->modify([](sim::DeviceModel& m) { m.fs.removeAllFiles(); });
}

std::vector<uint8_t> SimHarness::param(int id) const {
    std::vector<uint8_t> out;
    d->sim->inspect([&](const sim::DeviceModel& m) { out = m.param(id); });
    return out;
}

void SimHarness::setParam(int id, const std::vector<uint8_t>& value) {
    bool ok = false;
    d->sim->modify([&](sim::DeviceModel& m) { ok = m.setParam(id, value); });
    if (!ok) throw std::runtime_error("the simulated device refuses parameter " + std::to_string(id));
}

uint64_t SimHarness::identifier() const {
    uint64_t out = 0;
    d->sim->inspect([&](const sim::DeviceModel& m) { out = m.identifier; });
    return out;
}

void SimHarness::setIdentifier(uint64_t id) {
    d->sim->modify([&](sim::DeviceModel& m) { m.identifier = id; });
}

std::string SimHarness::firmwareVersion() const {
    std::string out;
    d->sim->inspect([&](const sim::DeviceModel& m) { out = m.firmwareVersion; });
    return out;
}

void SimHarness::setFirmwareVersion(const std::string& text) {
    d->sim->modify([&](sim::DeviceModel& m) { m.firmwareVersion = text; });
}

std::vector<uint8_t> SimHarness::flash() const {
    std::vector<uint8_t> out;
    d->sim->inspect([&](const sim::DeviceModel& m) { out = m.flash; });
    return out;
}

}  // namespace orvane::test
