#include "ProcessMemory.h"

#include <QByteArray>
#include <QFile>

namespace vek::test {

double processMemoryMb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

} // namespace vek::test
