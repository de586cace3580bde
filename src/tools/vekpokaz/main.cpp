// vekpokaz: the viewer. "vekpokaz FILE.wyd" shows the printout in its preview window and ends
// when the window closes.
#include "shell/ProgramEntry.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VekPokaz"));
    QApplication::setOrganizationName(QStringLiteral("VekPokaz"));
    return vek::runVekPokaz(QApplication::arguments());
}
