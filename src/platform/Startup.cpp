#include "Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace vek {
namespace {

QString& folderStore() {
    static QString folder;
    return folder;
}

QString groupThousands(QString digits) {
    const QChar sep = formatSettings().thousandSeparator;
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, sep);
    return digits;
}

bool isWritableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

} // namespace

const FormatSettings& formatSettings() {
    static const FormatSettings settings;
    return settings;
}

QString formatShortDate(const QDate& date) {
    return date.toString(formatSettings().qtShortDateFormat);
}

QString formatLongDateTime(const QDateTime& time) {
    return time.toString(formatSettings().qtLongDateFormat);
}

QString formatInteger(qint64 value) {
    const QString digits = QString::number(value < 0 ? -(value + 1) + 1ULL : quint64(value));
    return (value < 0 ? QStringLiteral("-") : QString()) + groupThousands(digits);
}

QString formatNumber(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 15);
    const QString fixed = QString::number(std::fabs(value), 'f', decimals);
    const qsizetype dot = fixed.indexOf(u'.');
    QString out = groupThousands(dot < 0 ? fixed : fixed.left(dot));
    if (dot >= 0)
        out += formatSettings().decimalSeparator + fixed.mid(dot + 1);
    const bool negative = value < 0 && fixed.contains(QRegularExpression(QStringLiteral("[1-9]")));
    return negative ? u'-' + out : out;
}

QString withTrailingSeparator(const QString& folder) {
    QString f = QDir::fromNativeSeparators(folder);
    if (!f.endsWith(u'/'))
        f += u'/';
    return f;
}

QString resolveProgramFolder(const QString& home, const QString& executableFolder, const QString& dataHome) {
    if (!home.isEmpty())
        return withTrailingSeparator(home);
    if (isWritableFolder(executableFolder))
        return withTrailingSeparator(executableFolder);
    const QString base = dataHome.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : dataHome;
    const QString folder = withTrailingSeparator(base) + QStringLiteral("VekPokaz/");
    QDir().mkpath(folder);
    return folder;
}

void startup() {
    formatSettings();
    folderStore() =
        resolveProgramFolder(qEnvironmentVariable("VEKPOKAZ_HOME"), QCoreApplication::applicationDirPath(),
                             qEnvironmentVariable("XDG_DATA_HOME"));
}

const QString& programFolder() {
    if (folderStore().isEmpty())
        startup();
    return folderStore();
}

} // namespace vek
