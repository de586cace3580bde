#pragma once
// Printouts composed as the program composes them: loaded from a file and made into pages on the
// calling thread.

#include "platform/Page.h"
#include "support/WydWriter.h"

#include <QString>
#include <vector>

namespace vek::test {

// The pages of the printout file, in order.
std::vector<PagePtr> composeFile(const QString& path);
// The pages of a printout built in code, written to a temporary file first.
std::vector<PagePtr> composePrintout(const WPrintout& printout);

} // namespace vek::test
