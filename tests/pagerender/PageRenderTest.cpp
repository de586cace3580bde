// Pages played into images off the GUI thread: renderPage, and pages rendered on several threads
// at once while another thread composes. The thread sanitizer build runs this program.
#include "platform/PageRender.h"
#include "document/Wydruki.h"
#include "platform/EmfPlayer.h"
#include "support/ComposedPages.h"
#include "support/EmfTestSupport.h"
#include "support/Examples.h"
#include "support/Kosztorys.h"

#include <QTemporaryDir>
#include <condition_variable>
#include <gtest/gtest.h>
#include <limits>
#include <mutex>
#include <thread>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

const QSize kSize(300, 420);

// A printout written to a temporary folder, to be loaded on any thread.
class PrintoutFile {
public:
    explicit PrintoutFile(const WPrintout& p)
        : m_path(m_dir.filePath(u"wydruk.wyd"_s)) {
        if (!writeWyd(m_path, p))
            throw Exception(u"cannot write the test printout"_s);
    }
    const QString& path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

std::vector<QByteArray> bytesOf(const std::vector<PagePtr>& pages) {
    std::vector<QByteArray> out;
    for (const PagePtr& page : pages)
        out.push_back(page->metafile().bytes());
    return out;
}

// The rectangle of the pixels that are not white, in image pixels.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xffffff) != 0xffffff)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

bool anyColour(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qRed(row[x]) != qGreen(row[x]) || qGreen(row[x]) != qBlue(row[x]))
                return true;
    }
    return false;
}

// The invoice sample (a letterhead picture, a coloured name, two pages), composed once.
const Page& fakturaPage(size_t i) {
    static const std::vector<PagePtr> pages = [] {
        const PrintoutFile file(faktura());
        return composeFile(file.path());
    }();
    return *pages.at(i);
}

} // namespace

TEST(PageRender, PlaysThePageOverTheWholeImageAtAnyRatio) {
    const QImage one = renderPage(fakturaPage(0), kSize, 1.0);
    ASSERT_EQ(one.size(), kSize);
    // The same pixels at ratio 2 show the same page: the ink lies at the same place in the image.
    const QImage two = renderPage(fakturaPage(0), kSize, 2.0);
    ASSERT_EQ(two.size(), kSize);
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    const QRect a = inkBox(one);
    const QRect b = inkBox(two);
    ASSERT_FALSE(a.isEmpty());
    EXPECT_NEAR(a.left(), b.left(), 2);
    EXPECT_NEAR(a.bottom(), b.bottom(), 2);
    EXPECT_GT(a.bottom(), kSize.height() / 2); // the table runs down the page
    EXPECT_NEAR(inkBox(renderPage(fakturaPage(0), kSize * 2, 2.0)).right(), 2 * a.right(), 4);
    // A ratio that makes no sense is 1; no pixels, no image.
    EXPECT_EQ(renderPage(fakturaPage(0), kSize, std::numeric_limits<double>::quiet_NaN()), one);
    EXPECT_EQ(renderPage(fakturaPage(0), kSize, 0.0), one);
    EXPECT_TRUE(renderPage(fakturaPage(0), QSize(0, 420), 1.0).isNull());
}

TEST(PageRender, MonochromeHasNoColourAndLeavesThePageAlone) {
    const QImage colour = renderPage(fakturaPage(0), kSize, 1.0);
    EXPECT_TRUE(anyColour(colour));
    EXPECT_FALSE(anyColour(renderPage(fakturaPage(0), kSize, 1.0, nullptr, true)));
    EXPECT_EQ(renderPage(fakturaPage(0), kSize, 1.0), colour);
}

TEST(PageRender, CancelledRenderGivesNoImage) {
    std::atomic<bool> cancel = true;
    EXPECT_TRUE(renderPage(fakturaPage(0), kSize, 1.0, &cancel).isNull());
    cancel = false;
    EXPECT_EQ(renderPage(fakturaPage(0), kSize, 1.0, &cancel), renderPage(fakturaPage(0), kSize, 1.0));
}

// The page plays from its display list, with the pixels of its bytes played record by record; a
// cancel that comes while it plays stops it at the next record.
TEST(PageRender, PlaysTheDisplayListAndStopsWhenCancelled) {
    const Page& page = fakturaPage(0);
    const QImage bytes = renderEmf(page.metafile().bytes(), kSize);
    EXPECT_EQ(renderPage(page, kSize, 1.0), bytes);

    std::atomic<bool> cancel = false;
    EmfPlayOptions options;
    options.cancel = &cancel;
    int seen = 0;
    options.onRecord = [&](const EmfRecord&) {
        cancel = ++seen == 40;
        return true;
    };
    QImage half(kSize, QImage::Format_RGB32);
    const EmfPlayResult played = paintPage(half, page, QRectF(QPointF(0, 0), QSizeF(kSize)), options);
    EXPECT_TRUE(played.cancelled);
    EXPECT_EQ(seen, 40);
    EXPECT_LT(played.records, int(page.displayList().items().size()) / 4);
    EXPECT_LT(inkBox(half).height(), inkBox(bytes).height() / 2); // the table down the page is not drawn
}

// Two threads render pages, different ones and the same one at once, while a third loads and
// composes another printout, making fonts no thread has made before. Every image equals the one
// rendered alone on this thread, and the pages composed on the third thread equal those composed
// here. (The expected results are made afterwards, so that the threads start from nothing.)
TEST(PageRender, ThreadsRenderWhileAnotherComposes) {
    const Page& p0 = fakturaPage(0);
    const Page& p1 = fakturaPage(1);
    const PrintoutFile opis(opisTechniczny());
    constexpr int kRounds = 4;
    std::vector<QImage> first;  // p0, p1, p0, p1, ...
    std::vector<QImage> second; // p0, p1 in black and white, ...
    std::vector<QByteArray> composed;
    {
        std::jthread composer([&] { composed = bytesOf(composeFile(opis.path())); });
        std::jthread a([&] {
            for (int i = 0; i < kRounds; ++i) {
                first.push_back(renderPage(p0, kSize, 1.0));
                first.push_back(renderPage(p1, kSize, 1.0));
            }
        });
        std::jthread b([&] {
            for (int i = 0; i < kRounds; ++i) {
                second.push_back(renderPage(p0, kSize, 1.0));
                second.push_back(renderPage(p1, kSize, 1.0, nullptr, true));
            }
        });
    }
    EXPECT_EQ(composed, bytesOf(composeFile(opis.path())));
    const QImage colour[2] = {renderPage(p0, kSize, 1.0), renderPage(p1, kSize, 1.0)};
    const QImage mono = renderPage(p1, kSize, 1.0, nullptr, true);
    ASSERT_EQ(first.size(), size_t(2 * kRounds));
    ASSERT_EQ(second.size(), size_t(2 * kRounds));
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i], colour[i % 2]) << i;
        EXPECT_EQ(second[i], i % 2 ? mono : colour[0]) << i;
    }
}

// Abort may come from another thread than the composing one: the composition stops after the
// line in progress and still delivers its partial page.
TEST(PageThreads, AbortFromAnotherThreadStopsTheComposition) {
    const PrintoutFile file(kosztorysOfPages(20));
    TWydruk w;
    w.LoadFromFile(file.path());
    std::mutex mutex;
    std::condition_variable changed;
    bool firstPage = false;
    bool aborted = false;
    int pages = 0;
    w.OnNextPage = [&](TWydruk&, const PagePtr&) {
        if (++pages > 1)
            return;
        std::unique_lock lock(mutex);
        firstPage = true;
        changed.notify_all();
        changed.wait(lock, [&] { return aborted; });
    };
    std::jthread composer([&] { w.MakePages(); });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return firstPage; });
        w.Abort();
        aborted = true;
        changed.notify_all();
    }
    composer.join();
    EXPECT_EQ(pages, 2); // the first page, then the partial one
    EXPECT_FALSE(w.PagesValid());
}
