#pragma once
// Standard error belongs to the exporter's own words: progress and errors. Qt's own debug
// messages and warnings (a missing runtime folder on a machine without a session, font
// configuration notes) are dropped; its critical and fatal messages still go through.

namespace vek::exporter {

// Installs the filter; call first thing in main, before the application object exists.
void keepQtMessagesQuiet();

} // namespace vek::exporter
