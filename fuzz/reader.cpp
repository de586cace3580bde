// Fuzzes the printout reader. An input that begins with "VEKTA" is a whole .wyd file (header check,
// zlib, body); any other input is taken as a decompressed body and compressed here first, so the
// fuzzer works on the records rather than on deflate data.
#include "FuzzSupport.h"
#include "document/LineDruk.h"
#include "platform/InflateStream.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool whole = size >= 5 && std::memcmp(data, "VEKTA", 5) == 0;
    QBuffer buf;
    buf.setData(whole ? QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))
                      : vek::fuzz::compressed(data, size));
    buf.open(QIODevice::ReadOnly);
    vek::TMLineWydruk doc;
    try {
        if (whole && !vek::CheckFileSignature(buf, "Wydruk"))
            return 0;
        vek::InflateStream body(buf);
        doc.LoadFromStream(body);
        doc.LineCount();
    } catch (const vek::Exception&) {
    }
    return 0;
}
