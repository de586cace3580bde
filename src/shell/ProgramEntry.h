#pragma once
// The start of the program: the first command-line argument chooses between installation,
// removal and the viewer, and, for the viewer, between the list of printouts, the temporary mode
// and the direct view of one printout file. Only the first argument is examined.

#include <QString>
#include <QStringList>
#include <functional>

namespace vek {

struct StartRequest {
    enum Kind { Viewer, Install, Uninstall };
    Kind kind = Viewer;
    bool TrybTymczasowy = false;
    QString PlikDoSkopiowania; // a printout to copy into the program folder
    QString PlikDoOtwarcia;    // a printout to show directly
};

// Asks whether a printout named on the command line is to be copied into the program folder.
using AskCopy = std::function<bool(const QString& title, const QString& text)>;

// Reads the first argument: "INST", "UNINST" and "TEMP" exactly as written; otherwise the path of
// an existing file. A file of the program folder (the folder + its name, letter case aside) is
// shown directly; for any other file askCopy decides (yes: copy, no: show directly); without
// askCopy it is shown directly. Anything else asks for nothing.
StartRequest examineStartArgument(const QString& argument, const QString& programFolder,
                                  const AskCopy& askCopy = {});

// Runs the program on its arguments (the program's name first) once the application object
// exists; returns the exit status.
int runVekPokaz(const QStringList& arguments);

} // namespace vek
