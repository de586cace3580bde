// Modes whose own file is not part of this build yet answer a clear error. These definitions are
// weak: a mode's real implementation (ExportPicture.cpp, ExportPages.cpp, ExportText.cpp) replaces
// its fallback here without any other change; delete this file once every mode has its own.
#include "Export.h"

namespace vek::exporter {
namespace {

ExitCode notAvailable(const QString& what) {
    printError(QStringLiteral("Ten tryb nie jest jeszcze dostępny: %1").arg(what));
    return ExitCode::Usage;
}

} // namespace

__attribute__((weak)) ExitCode exportPicture(const Options&) {
    return notAvailable(QStringLiteral("eksport obrazu EMF"));
}

__attribute__((weak)) ExitCode exportPages(const Options&) {
    return notAvailable(QStringLiteral("eksport stron"));
}

__attribute__((weak)) ExitCode exportText(const Options&) {
    return notAvailable(QStringLiteral("--text"));
}

} // namespace vek::exporter
