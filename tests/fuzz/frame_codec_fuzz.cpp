// The frame splitter and unstuffing over any byte stream, fed in pieces of the sizes the
// input's first byte picks; and the codec's round trip: what is encoded decodes to itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "link/codec/FrameCodec.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = 1 + data[0] % 64;
    const size_t capacity = 1 + data[0] * 4;
    ++data;
    --size;

    frame::FrameSplitter splitter;
    std::vector<uint8_t> raw, decoded;
    size_t framed = 0;  // bytes handed out as frames, END bytes included
    for (size_t at = 0; at < size; at += piece) {
        const size_t n = std::min(piece, size - at);
        splitter.append(data + at, n);
        while (splitter.next(raw)) {
            framed += raw.size() + 1;
            for (uint8_t b : raw) fuzz::expect(b != frame::END, "a frame holds an END byte");
            const auto result = frame::unstuff(raw.data(), raw.size(), decoded, capacity);
            fuzz::expect(result != frame::DecodeResult::Ok || decoded.size() <= capacity,
                         "unstuffing went past its capacity");
            fuzz::expect(result == frame::DecodeResult::Ok || decoded.empty(),
                         "a failed unstuffing left bytes behind");
            if (result == frame::DecodeResult::Ok) {
                // Stuffing the decoded bytes gives back the frame as received.
                std::vector<uint8_t> again;
                frame::stuff(decoded.data(), decoded.size(), again);
                fuzz::expect(again == raw, "unstuff and stuff disagree");
            }
        }
    }
    fuzz::expect(framed + splitter.pendingBytes() == size, "the splitter lost or invented bytes");

    // Any payload under any command survives the wire.
    const uint8_t command = size ? data[0] : 0;
    const std::vector<uint8_t> wire = frame::encodePacket(command, data, size);
    fuzz::expect(wire.back() == frame::END, "a packet does not end with END");
    splitter.clear();
    splitter.append(wire.data(), wire.size());
    fuzz::expect(splitter.next(raw), "an encoded packet is not one frame");
    fuzz::expect(frame::unstuff(raw.data(), raw.size(), decoded) == frame::DecodeResult::Ok,
                 "an encoded packet does not decode");
    fuzz::expect(decoded.size() == size + frame::kHeaderSize && decoded[2] == command &&
                     std::equal(decoded.begin() + 3, decoded.end(), data),
                 "the round trip changed the packet");
    fuzz::expect(size > 0xFFFE || frame::getLe16(decoded.data()) == size + 1,
                 "the length field is wrong");
    return 0;
}
