// Placeholder for the composition side until it is built: the document's virtual GetCanvas must
// exist for the document's vtable. Removed when the composer arrives.
#include "LineDruk.h"

#include "platform/GdiCanvas.h"

namespace vek {

GdiCanvas& TMLineWydruk::GetCanvas() {
    throw Exception(QStringLiteral("Składanie stron nie jest jeszcze dostępne"));
}

} // namespace vek
