#pragma once
// The web addresses the program opens: the product page (help, shown after "F1 - " in the help
// hints) and the page where a newer version can be downloaded.

#include <QString>

namespace vek {

inline QString ProductPageAddress() {
    return QStringLiteral("https://vekpokaz.example/");
}

inline QString DownloadPageAddress() {
    return QStringLiteral("https://vekpokaz.example/pobierz/");
}

} // namespace vek
