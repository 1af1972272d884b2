// The parameter codec over any value the device returns, and the proxy port over any text.
#include <QByteArray>
#include <QString>

#include <cstdint>

#include "FuzzSupport.h"
#include "device/config/ParamCodec.h"

using namespace orvane;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray value(reinterpret_cast<const char*>(data), int(size));
    config::decodeFlag(value);
    config::decodeEapInUse(value);
    const quint16 port = config::decodeProxyPort(value);
    fuzz::expect(config::decodeProxyPort(config::encodeProxyPort(QString::number(port))) == port,
                 "a proxy port does not survive its round trip");

    const QString text = config::decodeText(value);
    fuzz::expect(!text.contains(QChar(0)), "a decoded text holds a zero");
    // A text read back and written again reads back the same.
    fuzz::expect(config::decodeText(config::encodeText(text)) == text,
                 "a text does not survive its round trip");

    const QByteArray encoded = config::encodeProxyPort(QString::fromUtf8(value));
    fuzz::expect(encoded.size() == 2, "a proxy port is not two bytes");
    return 0;
}
