#include "ExportMessages.h"

#include <QtGlobal>

namespace vek::exporter {

namespace {

QtMessageHandler g_previous = nullptr;

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if ((type == QtCriticalMsg || type == QtFatalMsg) && g_previous)
        g_previous(type, context, message);
}

} // namespace

void keepQtMessagesQuiet() {
    g_previous = qInstallMessageHandler(filter);
}

} // namespace vek::exporter
