#include "ExportWriters.h"

#include "platform/Metafile.h"

#include <QImage>
#include <QSaveFile>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace vek::exporter {

namespace {

[[noreturn]] void cannotWrite(const QString& path, const QString& why) {
    throw EOutputError(u"Nie można zapisać pliku %1: %2"_s.arg(path, why));
}

// The normal layout: every page on a sheet of its own, numbered by the page.
class SheetPerPage : public PageWriter {
public:
    explicit SheetPerPage(std::unique_ptr<SheetWriter> sheets)
        : m_sheets(std::move(sheets)) {}
    void write(int pageNumber, const PagePtr& page) override {
        m_sheets->side(pageNumber, {&page->metafile(), nullptr});
    }
    void finish() override { m_sheets->finish(); }
    void discard() override { m_sheets->discard(); }

private:
    std::unique_ptr<SheetWriter> m_sheets;
};

// Two pages a side, one-sided: reduced sheets as each pair is complete, a booklet's sheets front
// then back once every page exists.
class TwoUp : public PageWriter {
public:
    TwoUp(std::unique_ptr<SheetWriter> sheets, SheetLayout layout)
        : m_sheets(std::move(sheets))
        , m_layout(layout) {}

    void write(int pageNumber, const PagePtr& page) override {
        m_pages.append(pageNumber);
        m_held[pageNumber] = page;
        if (m_layout == SheetLayout::Reduced && m_pages.size() == 2)
            flush();
    }

    void finish() override {
        flush();
        m_sheets->finish();
    }
    void discard() override { m_sheets->discard(); }

private:
    const TMetafile* page(int number) const {
        const auto it = m_held.find(number);
        return it == m_held.end() ? nullptr : &it->second->metafile();
    }

    void flush() {
        for (const SheetRecord& sheet : PlanSheets(m_pages, m_layout, false)) {
            m_sheets->side(++m_sides, {page(sheet.frontFirst), page(sheet.frontSecond)});
            if (m_layout == SheetLayout::Booklet)
                m_sheets->side(++m_sides, {page(sheet.backFirst), page(sheet.backSecond)});
        }
        m_pages.clear();
        m_held.clear();
    }

    std::unique_ptr<SheetWriter> m_sheets;
    SheetLayout m_layout;
    QList<int> m_pages;            // page numbers waiting for their sheet
    std::map<int, PagePtr> m_held; // those pages, held until their sheet is written
    int m_sides = 0;
};

// The first page only, as an image whose longer side is options.thumbnail pixels.
class ThumbnailWriter : public PageWriter {
public:
    explicit ThumbnailWriter(const WriterOptions& options)
        : m_options(options) {
        m_options.layout = SheetLayout::Normal;
    }

    void write(int, const PagePtr& page) override {
        if (m_done)
            return;
        m_done = true;
        const QSizeF mm = sheetSizeMm(m_options.layout);
        const double scale = m_options.thumbnail / std::max(mm.width(), mm.height()); // pixels per mm
        const QSize size(std::max(1, int(std::lround(mm.width() * scale))),
                         std::max(1, int(std::lround(mm.height() * scale))));
        const QImage image =
            renderSheet(m_options, {&page->metafile(), nullptr}, size, scale * 25.4, scale * 25.4);
        QSaveFile file(m_options.path);
        if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
            cannotWrite(m_options.path, file.errorString());
    }

private:
    WriterOptions m_options;
    bool m_done = false;
};

// The permissions of a new file: everything the umask allows but execution, as QFile gives them.
QFile::Permissions newFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    QFile::Permissions p;
    const std::pair<mode_t, QFile::Permission> bits[] = {
        {S_IRUSR, QFile::ReadOwner},  {S_IWUSR, QFile::WriteOwner}, {S_IRGRP, QFile::ReadGroup},
        {S_IWGRP, QFile::WriteGroup}, {S_IROTH, QFile::ReadOther},  {S_IWOTH, QFile::WriteOther}};
    for (const auto& [bit, permission] : bits)
        if (!(mask & bit))
            p |= permission;
    return p | (p & QFile::ReadOwner ? QFile::ReadUser : QFile::Permissions()) |
           (p & QFile::WriteOwner ? QFile::WriteUser : QFile::Permissions());
}

// Writes bytes to a temporary file beside path and renames it into place, so that path is
// either left as it was or holds the whole file; a file replaced keeps its permissions. Unlike
// QSaveFile it does not wait for the disk (fdatasync) on every file: a thousand page files would
// spend most of their time there.
void replaceFile(const QString& path, const QByteArray& bytes, QFile::Permissions permissions) {
    QTemporaryFile file(path + u".XXXXXX"_s);
    if (QFile::exists(path))
        permissions = QFile::permissions(path);
    if (!file.open() || !file.setPermissions(permissions) || file.write(bytes) != bytes.size() ||
        !file.flush())
        cannotWrite(path, file.errorString());
    file.close();
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        cannotWrite(path, QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false); // renamed: nothing left to remove
}

class EmfWriter : public PageWriter {
public:
    explicit EmfWriter(const WriterOptions& options)
        : m_options(options) {}

    void write(int pageNumber, const PagePtr& page) override {
        replaceFile(pageFileName(m_options.path, pageNumber), page->metafile().bytes(), m_permissions);
    }

private:
    WriterOptions m_options;
    QFile::Permissions m_permissions = newFilePermissions();
};

} // namespace

std::unique_ptr<PageWriter> makeSheetPageWriter(std::unique_ptr<SheetWriter> sheets, SheetLayout layout) {
    if (layout == SheetLayout::Normal)
        return std::make_unique<SheetPerPage>(std::move(sheets));
    return std::make_unique<TwoUp>(std::move(sheets), layout);
}
std::unique_ptr<PageWriter> makeEmfWriter(const WriterOptions& options) {
    return std::make_unique<EmfWriter>(options);
}
std::unique_ptr<PageWriter> makeThumbnailWriter(const WriterOptions& options) {
    return std::make_unique<ThumbnailWriter>(options);
}

} // namespace vek::exporter
