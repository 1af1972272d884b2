// The bare peer the benches compare the product with: a device that answers every request
// frame with a reply of a fixed size over a pseudo-terminal, and a client that sends frames
// of a fixed size and waits for each reply's END byte. No protocol work on either side, only
// write() and poll()/read(), so that the ratio to it shows what the product adds.
// Plain POSIX, no Qt.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace orvane::bench {

// Serves on a new pseudo-terminal whose slave path is published as the symbolic link
// `linkPath`: each END byte received (the end of a request frame) is answered with
// `replyBytes` bytes, the last of them END. Returns when `stop` is set (checked every 100 ms)
// and removes the link. False when the pseudo-terminal cannot be made.
bool serveBare(const std::string& linkPath, size_t replyBytes, const std::atomic<bool>& stop);

// Opens `port` raw and makes `count` round trips of `requestBytes` (END last) each; returns
// the elapsed milliseconds, or -1 when the port does not open or a reply does not come
// within 2 s.
double askBare(const std::string& port, size_t requestBytes, long count);

}  // namespace orvane::bench
