#pragma once
// Hostile printouts that inflate far beyond their size, made for the reader's limits. The body is
// compressed while it is generated, so neither the test nor the file holds it inflated.

#include <QByteArray>
#include <QtGlobal>

namespace vek::test {

// A whole .wyd file (version 7) whose root section's header holds `lines` lines of
// `fieldsPerLine` one-letter text fields. 200,000 lines of 255 fields inflate to about 1.4 GB
// (51 million fields) from a file of a few MB; lines without fields cost 3 bytes each.
QByteArray fieldBomb(int lines, int fieldsPerLine = 255);

// A whole .wyd file with one picture field whose EMF block claims `claimed` bytes in its header
// and supplies `supplied` of them (a valid header, then zero bytes).
QByteArray pictureBomb(quint32 claimed, qint64 supplied);

} // namespace vek::test
