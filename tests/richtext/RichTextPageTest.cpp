// Rich text recorded into a page metafile as the composer draws it (scale 1.8) ends up as
// ordinary text records that the player shows.

#include "RtfSamples.h"
#include "platform/EmfPlayer.h"
#include "platform/EmfWalk.h"
#include "platform/MetafileCanvas.h"
#include "richtext/DrawRichText.h"
#include "richtext/QmRichEdit.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;

namespace {

QString pageText(const TMetafile& page) {
    QString text;
    EmfWalker walker(page.bytes());
    EmfRecord record;
    while (walker.next(record)) {
        EmfTextRun run;
        if (readEmfText(record, run))
            text += run.text;
    }
    return text;
}

} // namespace

TEST(RichTextPage, ContinuedTextIsRecordedAsTextOnEveryPage) {
    const QByteArray rtf = test::polishDocument(16);
    QString recorded;
    int pos = 0;
    int pages = 0;
    QImage first;
    do {
        TMetafile page;
        page.setPageSize();
        {
            MetafileCanvas canvas(page);
            const int top = pages == 0 ? 300 : 0;
            const int height =
                DrawRichText(canvas, QRect(100, top, 1229, 2000 - top), rtf, true, true, 1.8f, &pos);
            EXPECT_GT(height, 0);
            EXPECT_LE(height, 2000 - top);
        }
        recorded += pageText(page);
        if (pages == 0) {
            first = QImage(715, 1000, QImage::Format_RGB32);
            first.fill(Qt::white);
            QPainter painter(&first);
            painter.setRenderHint(QPainter::Antialiasing);
            EXPECT_TRUE(playEmf(painter, QRectF(0, 0, 715, 1000), page).valid);
        }
        ++pages;
    } while (pos != 0 && pages < 10);
    EXPECT_GE(pages, 2);
    TQmRichEdit edit;
    edit.loadRichText(rtf);
    EXPECT_EQ(test::withoutBlanks(recorded), test::withoutBlanks(edit.document().toRawText()));

    first.save(qEnvironmentVariable("VEK_BINARY_DIR", QStringLiteral(".")) +
               QStringLiteral("/richtext-page.png"));
    // Ink inside the text box only: nothing above its top or left of its left edge.
    int inkAbove = 0, inkInside = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const bool ink = qGray(first.pixel(x, y)) < 160;
            (y < 148 || x < 48 ? inkAbove : inkInside) += ink;
        }
    EXPECT_EQ(inkAbove, 0);
    EXPECT_GT(inkInside, 20000);
}
