// Reading a printout body in file order: at once (LoadFromStream, FinishLoad), or a piece at a
// time while it is composed (BeginLoad, then MakePages asks for the pieces through the Await
// operations).
//
// Composing while reading is exact: the composer never looks at a piece before it is read, with
// one exception. A section's NewPageBefore comes last in its record, after all its content, so a
// printout that is one long section would have to be read to its end before its first page. Until
// the first page is out, the composer takes an unread section as not starting a new page. Before
// the first page goes out, the feed reads on a little to settle that; when it cannot, the page
// goes out and right after it the feed reads on until every such section is read. When one starts
// a new page after all, the composition starts again and its pages replace any handed out
// (OnRestart). Either way the pages are those of the whole document.
#include "LineDrukBody.h"

#include <QIODevice>
#include <algorithm>
#include <climits>

namespace vek {

namespace {

constexpr quint8 kMaxVersion = 7;
constexpr qint32 kDefaultResolution = 1200;
// Sections nest; a real printout nests a handful of levels.
constexpr size_t kMaxSectionDepth = 1000;

} // namespace

// ---- BodyFeed ----

BodyFeed::BodyFeed(TMLineWydruk& doc, InflateStream& stream)
    : m_reader(stream, doc) {}

BodyFeed::BodyFeed(TMLineWydruk& doc, std::unique_ptr<QIODevice> device)
    : m_device(std::move(device))
    , m_ownStream(std::make_unique<InflateStream>(*m_device))
    , m_reader(*m_ownStream, doc) {}

BodyFeed::~BodyFeed() = default;

void BodyFeed::readHead() {
    BodyReader& r = m_reader;
    TMLineWydruk& doc = r.doc();
    const quint8 version = r.u8();
    if (version > kMaxVersion)
        throw EReadFileError(QStringLiteral("Błąd odczytu - nieznana wersja pliku [%1]").arg(version));
    doc.Version = version;
    const qint32 resolution = version >= 5 ? r.i32() : kDefaultResolution;
    if (resolution <= 0)
        throw EReadFileError(
            QStringLiteral("Błąd czytania z pliku - nieprawidłowa rozdzielczość [%1]").arg(resolution));
    doc.Resolution = resolution;
    doc.Scale = float(180.0L / resolution);
    doc.LineSpacing = r.f32();
    doc.KeptInt = r.i32();
    doc.KeptByte = r.u8();
    if (version >= 2)
        doc.LinesPerPage = r.i32();
    m_path.push_back(Frame{doc.Root.get()});
}

bool BodyFeed::step() {
    if (m_error)
        std::rethrow_exception(m_error);
    if (m_path.empty())
        return false;
    try {
        if (m_stylesLeft != 0)
            stepStyles();
        else
            stepSection(m_path.back());
    } catch (...) {
        m_error = std::current_exception();
        throw;
    }
    return true;
}

void BodyFeed::stepStyles() {
    BodyReader& r = m_reader;
    if (m_stylesLeft < 0) {
        m_stylesLeft = std::max(r.i32(), 0);
        return;
    }
    r.admit(kTagStyle);
    TStyle& styles = *r.doc().Styles;
    auto style = std::make_unique<TStyl>(&r.doc());
    style->ReadFromStream(r);
    styles.Items.push_back(std::move(style));
    --m_stylesLeft;
}

// One piece of the section on top of the path. f goes when a subsection is opened or the section
// ends: nothing may use it after that.
void BodyFeed::stepSection(Frame& f) {
    TMLine& s = *f.section;
    switch (f.phase) {
    case Opening:
        m_reader.tag(kTagSection);
        next(f);
        return;
    case Header:
        return stepGroup(f, s.Header);
    case RepeatHeader:
        return stepGroup(f, s.RepeatHeader);
    case Subsections:
        return stepSubsections(f);
    case Spare:
        return stepGroup(f, s.Spare);
    case Footer:
        return stepGroup(f, s.Footer);
    case Trailer:
        if (m_reader.version() >= 2) {
            m_reader.tag(kTagTrailer);
            s.Title = m_reader.string();
            s.NewPageBefore = m_reader.flag();
        }
        m_path.pop_back();
        return;
    }
}

void BodyFeed::stepGroup(Frame& f, TLinie& group) {
    BodyReader& r = m_reader;
    if (!f.opened) {
        r.tag(kTagGroup);
        group.SplitLines = r.flag();
        group.NewPageBefore = r.flag();
        f.count = std::max(r.i32(), 0);
        f.opened = true;
    } else if (group.Count() < f.count) {
        r.admit(kTagLine);
        auto line = std::make_unique<TLinia>(group.Owner, &group);
        line->ReadFromStream(r);
        group.Lines.push_back(std::move(line));
        if (f.phase == Header || f.phase == Footer)
            ++m_linesRead;
    } else {
        next(f);
    }
}

void BodyFeed::stepSubsections(Frame& f) {
    BodyReader& r = m_reader;
    TMLine& s = *f.section;
    if (!f.opened) {
        r.tag(kTagSubsections);
        f.count = std::max(r.i32(), 0);
        f.opened = true;
    } else if (qsizetype(s.Sections.size()) < f.count) {
        r.admit(kTagSection, 5); // the section and its four groups
        if (m_path.size() >= kMaxSectionDepth)
            throw EReadFileError(
                QStringLiteral("Błąd czytania z pliku - zbyt głębokie zagnieżdżenie sekcji [%1]")
                    .arg(kTagSection));
        s.Sections.push_back(std::make_unique<TMLine>(s.Owner));
        m_path.push_back(Frame{s.Sections.back().get()});
    } else {
        next(f);
    }
}

void BodyFeed::next(Frame& f) {
    f.phase = Phase(f.phase + 1);
    f.opened = false;
    f.count = 0;
}

const BodyFeed::Frame* BodyFeed::frameOf(const TMLine& section) const {
    for (auto it = m_path.rbegin(); it != m_path.rend(); ++it) {
        if (it->section == &section)
            return &*it;
    }
    return nullptr; // a section read to its end
}

BodyFeed::Phase BodyFeed::phaseOf(const TLinie& group) {
    const TMLine& s = *group.Parent;
    if (&group == &s.Header)
        return Header;
    if (&group == &s.RepeatHeader)
        return RepeatHeader;
    return &group == &s.Spare ? Spare : Footer;
}

bool BodyFeed::headRead(const TLinie& group) const {
    const Frame* f = frameOf(*group.Parent);
    const Phase phase = phaseOf(group);
    return !f || f->phase > phase || (f->phase == phase && f->opened);
}

int BodyFeed::lineCount(const TLinie& group) const {
    const Frame* f = frameOf(*group.Parent);
    return !f || f->phase > phaseOf(group) ? group.Count() : f->count;
}

bool BodyFeed::subsectionsAnnounced(const TMLine& section) const {
    const Frame* f = frameOf(section);
    return !f || f->phase > Subsections || (f->phase == Subsections && f->opened);
}

int BodyFeed::sectionCount(const TMLine& section) const {
    const Frame* f = frameOf(section);
    return !f || f->phase > Subsections ? int(section.Sections.size()) : f->count;
}

int BodyFeed::estimatedLineCount() const {
    const double through = m_reader.stream().progress();
    if (finished() || through <= 0)
        return m_linesRead;
    return int(std::clamp(m_linesRead / through, double(m_linesRead), double(INT_MAX)));
}

bool BodyFeed::settle(qint64 maxSteps) {
    // A section is assumed only while unread, and a later one only inside it or once it is read:
    // the assumed sections still unread nest, and the first of them, the outermost, is read last.
    const auto outermost =
        std::find_if(m_assumed.begin(), m_assumed.end(), [&](const TMLine* s) { return !sectionRead(*s); });
    if (outermost != m_assumed.end() && !readUntil([&] { return sectionRead(**outermost); }, maxSteps))
        return false;
    const bool wrong =
        std::any_of(m_assumed.begin(), m_assumed.end(), [](const TMLine* s) { return s->NewPageBefore; });
    m_assumed.clear();
    if (wrong)
        throw CompositionRestart{};
    return true;
}

void BodyFeed::waited() {
    TMLineWydruk& doc = m_reader.doc();
    if (doc.OnWait)
        doc.OnWait(doc);
    if (doc.Aborted)
        throw CompositionStopped{};
}

// ---- the document ----

void TMLineWydruk::LoadFromStream(InflateStream& stream) {
    Clear();
    LinesTotal = 0; // the cached count belongs to the previous content
    BodyFeed feed(*this, stream);
    feed.readHead();
    while (feed.step()) {
    }
}

void TMLineWydruk::BeginLoad(std::unique_ptr<QIODevice> device) {
    Clear();
    LinesTotal = 0;
    Feed = std::make_unique<BodyFeed>(*this, std::move(device));
    try {
        Feed->readHead();
    } catch (...) {
        Feed.reset();
        throw;
    }
}

void TMLineWydruk::FinishLoad() {
    if (!Feed)
        return;
    // The feed goes, and the file with it, also when reading fails.
    const std::unique_ptr<BodyFeed> feed = std::move(Feed);
    while (feed->step()) {
    }
}

void TMLineWydruk::AwaitStyles() {
    if (Feed)
        Feed->readUntil([&] { return Feed->stylesRead(); });
}

int TMLineWydruk::AwaitLines(TLinie& group) {
    if (!Feed)
        return group.Count();
    Feed->readUntil([&] { return Feed->headRead(group); });
    return Feed->lineCount(group);
}

TLinia& TMLineWydruk::AwaitLine(TLinie& group, int i) {
    if (Feed && i >= group.Count())
        Feed->readUntil([&] { return i < group.Count(); });
    return *group.Lines[size_t(i)];
}

int TMLineWydruk::AwaitGroup(TLinie& group) {
    const int count = AwaitLines(group);
    if (count > 0)
        AwaitLine(group, count - 1);
    return count;
}

int TMLineWydruk::AwaitSections(TMLine& section) {
    if (!Feed)
        return int(section.Sections.size());
    Feed->readUntil([&] { return Feed->subsectionsAnnounced(section); });
    return Feed->sectionCount(section);
}

TMLine& TMLineWydruk::AwaitSection(TMLine& section, int i) {
    if (Feed && size_t(i) >= section.Sections.size())
        Feed->readUntil([&] { return size_t(i) < section.Sections.size(); });
    return *section.Sections[size_t(i)];
}

bool TMLineWydruk::AwaitNewPageBefore(TMLine& section) {
    if (Feed && !Feed->sectionRead(section)) {
        if (Pages.empty()) {
            Feed->assume(section); // checked right after the first page (NewPage)
            return false;
        }
        Feed->readUntil([&] { return Feed->sectionRead(section); });
    }
    return section.NewPageBefore;
}

void TMLineWydruk::settleFeed(qint64 maxSteps) {
    if (Feed && Feed->assuming() && !Aborted)
        Feed->settle(maxSteps);
}

void TMLineWydruk::finishFeed() {
    if (!Feed || Aborted)
        return;
    Feed->readUntil([&] { return Feed->finished(); });
    Feed->settle();
    Feed.reset();
    LinesTotal = 0; // counted again, now that every line is there
}

} // namespace vek
