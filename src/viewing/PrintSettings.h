#pragma once
// The program-wide print settings: what the print dialog offers and remembers between runs. The
// preview window loads them from the settings store and saves them there. GUI thread only.

#include <QString>

namespace vek {

struct TPrintSettings {
    QString NazwaDruk;        // the chosen printer, as the printer list shows it
    int Tryb = 1;             // 1 normal, 2 reduced (two pages a sheet side), 3 booklet
    bool Odwrotnie = true;    // sheets in reverse order
    bool Odwrotnie2 = false;  // two-sided: reverse the first pass too
    bool Dwustronnie = false; // two-sided by passes
    bool Kolor = false;       // colour, else black and white
    int Kopie = 1;            // copies, 1 to 99
    bool NoAbort = false;     // compatibility mode: no abort procedure
    bool NoEMF = false;       // bitmap mode
    bool operator==(const TPrintSettings&) const = default;
};

// The settings of this run of the program.
TPrintSettings& PrintSettings();

} // namespace vek
