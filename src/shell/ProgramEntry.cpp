#include "shell/ProgramEntry.h"

#include "platform/Startup.h"
#include "viewing/uFrmPodglad.h"

#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace vek {

StartRequest examineStartArgument(const QString& argument, const QString& programFolder,
                                  const AskCopy& askCopy) {
    StartRequest request;
    if (argument == u"INST"_s) {
        request.kind = StartRequest::Install;
        return request;
    }
    if (argument == u"UNINST"_s) {
        request.kind = StartRequest::Uninstall;
        return request;
    }
    if (argument == u"TEMP"_s) {
        request.TrybTymczasowy = true;
        return request;
    }
    if (argument.isEmpty() || !QFileInfo(argument).isFile())
        return request;
    const QString candidate = programFolder + QFileInfo(argument).fileName();
    if (QString::localeAwareCompare(argument.toLower(), candidate.toLower()) == 0 || !askCopy) {
        request.PlikDoOtwarcia = argument;
        return request;
    }
    const bool copy =
        askCopy(u"VekPokaz - "_s + argument,
                u"Czy skopiować wydruk do katalogu przeglądarki\r("_s + programFolder + u") ?"_s);
    (copy ? request.PlikDoSkopiowania : request.PlikDoOtwarcia) = argument;
    return request;
}

namespace {

int usage(const QString& message) {
    QTextStream err(stderr);
    err << message << u"\nUżycie: vekpokaz PLIK.wyd\n"_s;
    return 2;
}

} // namespace

int runVekPokaz(const QStringList& arguments) {
    startup();
    const StartRequest request = examineStartArgument(arguments.value(1), programFolder());
    if (request.kind != StartRequest::Viewer)
        return usage(u"Instalacja i usuwanie nie są dostępne w tej wersji."_s);
    if (request.PlikDoOtwarcia.isEmpty())
        return usage(u"Lista wydruków nie jest dostępna w tej wersji: podaj plik wydruku."_s);
    // The direct view: one preview, and the program ends when it closes.
    TFrmPodglad preview;
    preview.SetPrintoutFile(request.PlikDoOtwarcia);
    preview.exec();
    return 0;
}

} // namespace vek
