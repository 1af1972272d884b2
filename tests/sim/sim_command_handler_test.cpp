// The device's command handler fed requests directly: every command, the upload checks,
// listing records, reads, raw flash, format and the faults that change a reply.
#include <gtest/gtest.h>

#include "RawPort.h"
#include "sim/CommandHandler.h"

using namespace orvane::sim;
using orvane::test::bytesOf;
using orvane::test::nameBytes;
namespace frame = orvane::frame;

namespace {

std::vector<uint8_t> le16(uint16_t v) {
    std::vector<uint8_t> out;
    frame::putLe16(out, v);
    return out;
}
std::vector<uint8_t> le32(uint32_t v) {
    std::vector<uint8_t> out;
    frame::putLe32(out, v);
    return out;
}
std::vector<uint8_t> cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
std::string textUpToZero(const std::vector<uint8_t>& v, size_t from = 0, size_t width = SIZE_MAX) {
    std::string s;
    for (size_t i = from; i < v.size() && i - from < width && v[i] != 0; ++i) s.push_back(char(v[i]));
    return s;
}

class Handler : public ::testing::Test {
protected:
    DeviceModel model;
    CommandHandler handler{model};

    CommandHandler::Result run(uint8_t command, const std::vector<uint8_t>& payload = {},
                               const ContentFaults& faults = {}, bool bootloader = false) {
        return handler.handle(command, payload, bootloader, faults);
    }
    uint8_t status(uint8_t command, const std::vector<uint8_t>& payload = {}) {
        const auto r = run(command, payload);
        EXPECT_EQ(r.payload.size(), 1u) << "command " << int(command);
        return r.payload.empty() ? 0xEE : r.payload[0];
    }
    uint8_t startUpload(const std::string& name, uint32_t size) {
        return status(code::StartESP, cat(le32(size), nameBytes(name, kUploadNameField)));
    }
    uint8_t chunk(uint32_t offset, const std::vector<uint8_t>& data) {
        return status(code::WriteESP, cat(cat(le32(offset), le32(uint32_t(data.size()))), data));
    }
    // The whole upload as the host does it: 512-byte chunks, then SendEndESP.
    bool upload(const std::string& name, const std::vector<uint8_t>& data) {
        if (startUpload(name, uint32_t(data.size())) != kStatusOk) return false;
        for (size_t at = 0; at < data.size(); at += 512) {
            const size_t n = std::min<size_t>(512, data.size() - at);
            if (chunk(uint32_t(at), std::vector<uint8_t>(data.begin() + at, data.begin() + at + n)) != kStatusOk)
                return false;
        }
        return status(code::EndESP) == kStatusOk;
    }
    std::vector<uint8_t> descriptor(uint16_t dir, uint16_t index) {
        return run(code::GetFileDesc, cat(le16(dir), le16(index))).payload;
    }
    std::vector<std::string> listDirectory(uint16_t dir) {
        std::vector<std::string> names;
        for (uint16_t j = 0; j < 16; ++j) {
            const auto d = descriptor(dir, j);
            if (d.size() != kFileDescSize || d[0] == 0 || d[0] == 0xFF) break;
            names.push_back(textUpToZero(d, 0, 24));
        }
        return names;
    }
    int dirIndex(const std::string& name) {
        const auto& dirs = model.fs.directories();
        for (size_t i = 0; i < dirs.size(); ++i)
            if (dirs[i].name == name) return int(i);
        return -1;
    }
};

std::vector<uint8_t> pattern(size_t n, uint8_t seed = 1) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 31 + seed + (i >> 8));
    return v;
}

}  // namespace

TEST_F(Handler, IdentityCommands) {
    model.firmwareVersion = "Orvane 9.8.7";
    auto hello = run(code::Hello).payload;
    EXPECT_EQ(hello, cat(bytesOf("Orvane 9.8.7"), {0}));
    EXPECT_EQ(run(code::GetFWVersion).payload, hello);
    EXPECT_NE(textUpToZero(run(code::GetFWVersion, {}, {}, true).payload).find("Bootloader"),
              std::string::npos);

    const auto mac = run(code::GetMAC).payload;
    ASSERT_EQ(mac.size(), 12u);
    EXPECT_TRUE(std::equal(model.wifiMac.begin(), model.wifiMac.end(), mac.begin()));
    EXPECT_TRUE(std::equal(model.ethMac.begin(), model.ethMac.end(), mac.begin() + 6));
    EXPECT_NE(mac[0], 0) << "a zero first byte would read as 'no MAC' on the host";

    model.identifier = 0x0102030405060708ULL;
    EXPECT_EQ(run(code::GetID).payload, (std::vector<uint8_t>{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(run(code::GetMode).payload, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST_F(Handler, SetIdStoresAndEchoesTheIdentifier) {
    const std::vector<uint8_t> id{1, 0, 0, 0, 0, 0, 0, 0};
    auto r = run(code::SetID, id);
    EXPECT_EQ(r.payload, id);
    EXPECT_TRUE(r.stateChanged);
    EXPECT_EQ(model.identifier, 1u);
    // A malformed request changes nothing; the reply shows the identifier still held.
    r = run(code::SetID, {9, 9, 9});
    EXPECT_EQ(r.payload, id);
    EXPECT_EQ(model.identifier, 1u);
}

TEST_F(Handler, Parameters) {
    EXPECT_EQ(run(code::GetParam, le16(5)).payload, model.param(5));
    EXPECT_FALSE(model.param(5).empty());
    EXPECT_EQ(status(code::SetParam, cat(le16(5), bytesOf("ab"))), kStatusOk);
    EXPECT_EQ(run(code::GetParam, le16(5)).payload, bytesOf("ab"));
    // An open network is written as one zero byte and reads back empty.
    EXPECT_EQ(status(code::SetParam, cat(le16(7), {0})), kStatusOk);
    EXPECT_TRUE(run(code::GetParam, le16(7)).payload.empty());
    EXPECT_EQ(status(code::SetParam, cat(le16(13), {0x50, 0x00})), kStatusOk);
    EXPECT_EQ(run(code::GetParam, le16(13)).payload, (std::vector<uint8_t>{0x50, 0x00}));
    EXPECT_EQ(status(code::SetParam, cat(le16(12), std::vector<uint8_t>(510, 'u'))), kStatusOk);

    // Refused: unknown ids, flags that are not one byte, an over-long value.
    EXPECT_EQ(status(code::SetParam, cat(le16(6), {1})), kStatusNok);
    EXPECT_EQ(status(code::SetParam, cat(le16(3), {1, 1})), kStatusNok);
    EXPECT_EQ(status(code::SetParam, cat(le16(12), std::vector<uint8_t>(511, 'u'))), kStatusNok);
    EXPECT_EQ(model.param(12).size(), 510u);
    EXPECT_TRUE(run(code::GetParam, le16(99)).payload.empty());
}

TEST_F(Handler, UploadStoresTheFileOnEnd) {
    const auto data = pattern(1000);
    ASSERT_EQ(startUpload("Audio/new.mp3", 1000), kStatusOk);
    EXPECT_EQ(chunk(0, std::vector<uint8_t>(data.begin(), data.begin() + 512)), kStatusOk);
    EXPECT_EQ(model.fs.find("Audio/new.mp3"), nullptr) << "stored before SendEndESP";
    EXPECT_EQ(chunk(512, std::vector<uint8_t>(data.begin() + 512, data.end())), kStatusOk);
    const auto end = run(code::EndESP);
    EXPECT_EQ(end.payload, std::vector<uint8_t>{kStatusOk});
    EXPECT_TRUE(end.stateChanged);
    ASSERT_NE(model.fs.find("Audio/new.mp3"), nullptr);
    EXPECT_EQ(model.fs.find("Audio/new.mp3")->data, data);

    EXPECT_TRUE(upload("bare.bin", pattern(3, 7)));
    EXPECT_NE(model.fs.find(0, "bare.bin"), nullptr) << "a bare name belongs in the root";
    EXPECT_TRUE(upload("Fresh/a.txt", bytesOf("x")));
    EXPECT_EQ(listDirectory(uint16_t(dirIndex("Fresh"))), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(upload("Updates/empty.bin", {}));
    ASSERT_NE(model.fs.find("Updates/empty.bin"), nullptr);
    EXPECT_TRUE(model.fs.find("Updates/empty.bin")->data.empty());
    // Replacing keeps one entry.
    EXPECT_TRUE(upload("bare.bin", pattern(600, 3)));
    EXPECT_EQ(model.fs.find("bare.bin")->data, pattern(600, 3));
}

TEST_F(Handler, UploadChecksOffsetsAndSize) {
    ASSERT_EQ(startUpload("Audio/x.mp3", 600), kStatusOk);
    EXPECT_EQ(chunk(512, pattern(88)), kStatusNok) << "skipped a chunk";
    EXPECT_EQ(chunk(0, pattern(512)), kStatusOk);
    EXPECT_EQ(chunk(0, pattern(88)), kStatusNok) << "repeated a chunk";
    EXPECT_EQ(chunk(512, pattern(89)), kStatusNok) << "passed the announced size";
    auto lying = cat(cat(le32(512), le32(88)), pattern(10));
    EXPECT_EQ(status(code::WriteESP, lying), kStatusNok) << "count differs from the data";
    // An incomplete file is refused at the end and not stored.
    EXPECT_EQ(status(code::EndESP), kStatusNok);
    EXPECT_EQ(model.fs.find("Audio/x.mp3"), nullptr);
    EXPECT_EQ(chunk(0, pattern(1)), kStatusNok) << "a chunk with no upload open";
    EXPECT_EQ(status(code::EndESP), kStatusNok);
}

TEST_F(Handler, UploadNamesAndLimits) {
    // "Updates/" plus a 24-byte name fills the 32-byte field without a terminating zero.
    const std::string full = "Updates/" + std::string(24, 'n');
    EXPECT_TRUE(upload(full, bytesOf("ok")));
    EXPECT_NE(model.fs.find(full), nullptr);
    EXPECT_EQ(startUpload(std::string(25, 'n'), 1), kStatusNok) << "file name longer than a descriptor";
    EXPECT_EQ(startUpload("a/b/c", 1), kStatusNok);
    EXPECT_EQ(startUpload("", 1), kStatusNok);
    EXPECT_EQ(startUpload("big.bin", uint32_t(FlashFileSystem::kCapacity + 1)), kStatusNok);

    // Directories: the model starts with a few; the ninth is refused.
    int made = 0;
    while (model.fs.directories().size() < FlashFileSystem::kMaxDirectories) {
        ASSERT_TRUE(upload("D" + std::to_string(made++) + "/f", bytesOf("1")));
    }
    EXPECT_EQ(startUpload("Ninth/f", 1), kStatusNok);
    // Files: the seventeenth in one directory is refused, replacing one is not.
    // D0 holds "f" already: fifteen more fill it.
    for (int i = 1; i < 16; ++i) ASSERT_TRUE(upload("D0/f" + std::to_string(i), bytesOf("1"))) << i;
    EXPECT_EQ(startUpload("D0/one-more", 1), kStatusNok);
    EXPECT_TRUE(upload("D0/f3", bytesOf("22")));
}

TEST_F(Handler, DeleteFiles) {
    ASSERT_NE(model.fs.find("Updates/dnloads.cfg"), nullptr);
    EXPECT_EQ(status(code::DeleteESP, nameBytes("Updates/dnloads.cfg", 32)), kStatusOk);
    EXPECT_EQ(model.fs.find("Updates/dnloads.cfg"), nullptr);
    EXPECT_EQ(status(code::DeleteESP, nameBytes("Updates/dnloads.cfg", 32)), kStatusNok);
    // The root shows as "/", so the file page asks for "//name".
    ASSERT_NE(model.fs.find("config.json"), nullptr);
    EXPECT_EQ(status(code::DeleteESP, nameBytes("//config.json", 32)), kStatusOk);
    EXPECT_EQ(model.fs.find("config.json"), nullptr);
}

TEST_F(Handler, ListingRecords) {
    const auto info = run(code::GetDiskInfo).payload;
    ASSERT_EQ(info.size(), kDiskInfoSize);
    const auto& dirs = model.fs.directories();
    ASSERT_GE(dirs.size(), 3u);
    EXPECT_EQ(frame::getLe16(info.data() + 4), dirs.size());
    bool hasUpdates = false;
    for (size_t i = 0; i < dirs.size(); ++i) {
        EXPECT_EQ(textUpToZero(info, 14 + 24 * i, 24), dirs[i].name);
        hasUpdates |= dirs[i].name == "Updates";
    }
    EXPECT_TRUE(hasUpdates);

    const int updates = dirIndex("Updates");
    EXPECT_EQ(listDirectory(uint16_t(updates)), std::vector<std::string>{"dnloads.cfg"});
    const auto d = descriptor(uint16_t(updates), 0);
    ASSERT_EQ(d.size(), kFileDescSize);
    EXPECT_EQ(frame::getLe32(d.data() + 24), model.fs.find("Updates/dnloads.cfg")->data.size());
    EXPECT_EQ(descriptor(uint16_t(updates), 1), std::vector<uint8_t>(32, 0));
    EXPECT_EQ(descriptor(7, 0), std::vector<uint8_t>(32, 0xFF)) << "a missing directory reads erased";

    // Eight directories with long names all fit the 200-byte record.
    int n = 0;
    while (model.fs.directories().size() < 8) {
        const std::string name = std::string(15, char('a' + n)) + std::to_string(n);
        ASSERT_TRUE(upload(name + "/f", bytesOf("1")));
        ++n;
    }
    const auto full = run(code::GetDiskInfo).payload;
    ASSERT_EQ(full.size(), kDiskInfoSize);
    EXPECT_EQ(frame::getLe16(full.data() + 4), 8);
    EXPECT_EQ(textUpToZero(full, 14 + 24 * 7), model.fs.directories()[7].name);
}

TEST_F(Handler, FullDirectoryListsSixteenNames) {
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(upload("Many/n" + std::to_string(i), bytesOf("x")));
    const auto names = listDirectory(uint16_t(dirIndex("Many")));
    ASSERT_EQ(names.size(), 16u);
    EXPECT_EQ(names.front(), "n0");
    EXPECT_EQ(names.back(), "n15");
}

TEST_F(Handler, FileReads) {
    const auto data = pattern(700, 9);
    ASSERT_TRUE(upload("Audio/r.mp3", data));
    const uint16_t dir = uint16_t(dirIndex("Audio"));
    auto start = run(code::StartFileRead, cat(le16(dir), nameBytes("r.mp3", 24))).payload;
    ASSERT_EQ(start.size(), 4u);
    EXPECT_EQ(int32_t(frame::getLe32(start.data())), 700);
    std::vector<uint8_t> got;
    for (uint32_t at = 0; at < 700; at += 256) {
        const auto part = run(code::ReadFile, cat(le32(at), le32(256))).payload;
        EXPECT_EQ(part.size(), std::min<size_t>(256, 700 - at));
        got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(got, data);
    EXPECT_TRUE(run(code::ReadFile, cat(le32(700), le32(256))).payload.empty());
    ContentFaults shortBy;
    shortBy.shortReadFileBy = 1;
    EXPECT_EQ(run(code::ReadFile, cat(le32(0), le32(256)), shortBy).payload.size(), 255u);
    EXPECT_EQ(status(code::EndFileRead), kStatusOk);
    EXPECT_EQ(status(code::EndFileRead), kStatusNok);
    EXPECT_TRUE(run(code::ReadFile, cat(le32(0), le32(16))).payload.empty()) << "no file open";

    start = run(code::StartFileRead, cat(le16(dir), nameBytes("missing", 24))).payload;
    ASSERT_EQ(start.size(), 4u);
    EXPECT_LT(int32_t(frame::getLe32(start.data())), 0);
    // A 24-byte name without its terminating zero is found.
    const std::string longName(24, 'q');
    ASSERT_TRUE(upload("Audio/" + longName, bytesOf("abc")));
    start = run(code::StartFileRead, cat(le16(dir), nameBytes(longName, 24))).payload;
    EXPECT_EQ(int32_t(frame::getLe32(start.data())), 3);
}

TEST_F(Handler, RawFlashReads) {
    auto ask = [&](uint32_t offset, uint16_t count, const ContentFaults& f = {}) {
        return run(code::GetFlash, cat(le32(offset), le16(count)), f).payload;
    };
    auto r = ask(0x1234, 256);
    ASSERT_EQ(r.size(), 258u);
    EXPECT_EQ(frame::getLe16(r.data()), 256);
    EXPECT_TRUE(std::equal(r.begin() + 2, r.end(), model.flash.begin() + 0x1234));
    r = ask(DeviceModel::kFlashSize - 100, 256);
    EXPECT_EQ(frame::getLe16(r.data()), 100) << "the read stops at the end of the flash";
    EXPECT_EQ(r.size(), 102u);
    EXPECT_EQ(ask(DeviceModel::kFlashSize, 256), le16(0));

    ContentFaults zero;
    zero.flashZeroCount = true;
    EXPECT_EQ(ask(0, 256, zero), le16(0));
    ContentFaults more;
    more.flashCountSkew = 3;
    r = ask(0, 256, more);
    EXPECT_EQ(frame::getLe16(r.data()), 259);
    EXPECT_EQ(r.size(), 261u);
    ContentFaults fewer;
    fewer.flashCountSkew = -6;
    EXPECT_EQ(frame::getLe16(ask(0, 256, fewer).data()), 250);

    // Deterministic and not trivial: plenty of bytes that need stuffing.
    EXPECT_EQ(model.flash, DeviceModel::defaultFlash());
    EXPECT_GT(std::count(model.flash.begin(), model.flash.end(), 0xC0), 10000);
}

TEST_F(Handler, FormatEmptiesTheFileSystem) {
    ASSERT_GT(model.fs.fileCount(), 0u);
    const auto r = run(code::Format);
    EXPECT_EQ(r.payload, std::vector<uint8_t>{kStatusOk});
    EXPECT_TRUE(r.stateChanged);
    EXPECT_EQ(model.fs.fileCount(), 0u);
    EXPECT_EQ(dirIndex("/"), 0);
    EXPECT_GE(dirIndex("Updates"), 0);
    EXPECT_EQ(model.fs.directories().size(), 2u);
}

TEST_F(Handler, RefusedRequestsChangeNothing) {
    ContentFaults refuse;
    refuse.refuse = true;
    const auto before = model.param(5);
    EXPECT_EQ(run(code::SetParam, cat(le16(5), bytesOf("zz")), refuse).payload,
              std::vector<uint8_t>{kStatusNok});
    EXPECT_EQ(model.param(5), before);
    EXPECT_EQ(run(code::DeleteESP, nameBytes("config.json", 32), refuse).payload,
              std::vector<uint8_t>{kStatusNok});
    EXPECT_NE(model.fs.find("config.json"), nullptr);
    const auto start = run(code::StartFileRead, cat(le16(0), nameBytes("config.json", 24)), refuse).payload;
    ASSERT_EQ(start.size(), 4u);
    EXPECT_LT(int32_t(frame::getLe32(start.data())), 0);
    EXPECT_EQ(run(code::StartUpdate, {}, refuse).action, CommandHandler::Action::None);
}

TEST_F(Handler, RestartActions) {
    EXPECT_EQ(run(code::StartUpdate).action, CommandHandler::Action::Restart);
    EXPECT_EQ(run(code::Exit).action, CommandHandler::Action::None);
    EXPECT_EQ(run(code::Exit, {}, {}, true).action, CommandHandler::Action::LeaveBootloader);
    EXPECT_EQ(status(code::StartUpdate), kStatusOk);
    EXPECT_EQ(status(99), kStatusNok) << "unknown commands are refused, not ignored";
}

TEST_F(Handler, InstallingUpdatesChangesVersions) {
    model.firmwareVersion = "Orvane 2.4.9";
    ASSERT_TRUE(upload("Updates/nRF_Update_c.bin", pattern(2000)));
    ASSERT_TRUE(upload("Updates/NRF_Bootloader_c.bin", cat(bytesOf("xxORVANE-VERSION=Boot 7"), {0, 1})));
    ASSERT_TRUE(upload("Updates/other.bin", bytesOf("keep")));
    const auto installed = model.applyUpdates();
    EXPECT_EQ(installed, (std::vector<std::string>{"nRF_Update_c.bin", "NRF_Bootloader_c.bin"}));
    EXPECT_EQ(model.firmwareVersion, "Orvane 2.4.10");
    EXPECT_EQ(model.bootloaderVersion, "Bootloader Boot 7");
    EXPECT_EQ(model.fs.find("Updates/nRF_Update_c.bin"), nullptr);
    EXPECT_NE(model.fs.find("Updates/other.bin"), nullptr);
    const auto* history = model.fs.find("Updates/dnloads.cfg");
    ASSERT_NE(history, nullptr);
    EXPECT_NE(std::string(history->data.begin(), history->data.end()).find("nRF_Update_c.bin Orvane 2.4.10"),
              std::string::npos);
    EXPECT_TRUE(model.applyUpdates().empty());

    EXPECT_EQ(versionAfterUpdate("v", {}), "v.1");
    EXPECT_EQ(versionAfterUpdate("1.2 (beta)", {}), "1.3 (beta)");
    EXPECT_EQ(versionAfterUpdate("x", bytesOf("ORVANE-VERSION=3.0\nrest")), "3.0");
}
