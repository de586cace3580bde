#pragma once
// Start-up settings shared by every start of the program: the fixed number and date formats and
// the program folder where printouts are kept. QtCore only.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace vek {

// The program-wide formats, the same whatever the user's regional settings are.
struct FormatSettings {
    QChar thousandSeparator = u' ';
    QChar decimalSeparator = u',';
    QChar dateSeparator = u'-';
    // In the program's own notation (mm = month).
    QString shortDateFormat = QStringLiteral("dd-mm-yyyy");
    QString longDateFormat = QStringLiteral("dd-mm-yyyy hh:mm:ss");
    // The same formats in Qt's notation, for QDate::toString / QDateTime::fromString.
    QString qtShortDateFormat = QStringLiteral("dd-MM-yyyy");
    QString qtLongDateFormat = QStringLiteral("dd-MM-yyyy HH:mm:ss");
};

const FormatSettings& formatSettings();

// "08-12-2026" and "08-12-2026 14:05:09".
QString formatShortDate(const QDate& date);
QString formatLongDateTime(const QDateTime& time);
// "1 234 567" and "1 234,50" (decimals digits after the comma, rounded).
QString formatInteger(qint64 value);
QString formatNumber(double value, int decimals);

// Runs the start-up: computes the program folder once. Call after QCoreApplication exists.
void startup();

// The folder where printouts are kept, with its trailing separator. Computed on first use when
// startup() has not run.
const QString& programFolder();

// The rule behind programFolder(): home (VEKPOKAZ_HOME) when not empty; otherwise the executable's
// folder when it is writable; otherwise dataHome (XDG_DATA_HOME, or ~/.local/share when empty)
// + "/VekPokaz/", created when missing. Always ends with a separator.
QString resolveProgramFolder(const QString& home, const QString& executableFolder, const QString& dataHome);

// Joins a folder and a name with exactly one separator.
QString withTrailingSeparator(const QString& folder);

} // namespace vek
