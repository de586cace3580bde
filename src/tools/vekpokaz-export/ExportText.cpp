#include "ExportText.h"

#include "platform/Metafile.h"
#include "platform/PageText.h"

namespace vek::exporter {

QString pageText(const TMetafile& page) {
    const QString text = extractPageText(QByteArrayView(page.bytes())).text;
    return text.isEmpty() ? text : text + u'\n';
}

} // namespace vek::exporter
