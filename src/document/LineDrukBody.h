#pragma once
// LineDruk's reading of a printout body (private to the unit): BodyReader reads the values of the
// records from the decompressed body, BodyFeed reads the body a piece at a time so that it can be
// composed while it is read.

#include "LineDruk.h"

#include "platform/InflateStream.h"

#include <QtEndian>
#include <bit>
#include <exception>
#include <memory>
#include <unordered_set>
#include <vector>

class QIODevice;

namespace vek {

// Record tags.
inline constexpr quint8 kTagStyle = 1;
inline constexpr quint8 kTagSection = 3;
inline constexpr quint8 kTagGroup = 4;
inline constexpr quint8 kTagLine = 5;
inline constexpr quint8 kTagField = 6;
inline constexpr quint8 kTagSubsections = 12;
inline constexpr quint8 kTagTrailer = 15;
inline constexpr quint8 kTagShortString = 101;
inline constexpr quint8 kTagLongString = 102;

// "Błąd czytania z pliku [tag]".
QString tagError(int expected);

// Primitive reads from the decompressed body, with the document being filled. Values are taken
// straight from the stream's buffer; every read is checked against the end of the data and the
// body limit, and every object created is counted against the object limit.
class BodyReader {
public:
    BodyReader(InflateStream& stream, TMLineWydruk& doc)
        : m_stream(stream)
        , m_doc(doc) {}

    TMLineWydruk& doc() { return m_doc; }
    const InflateStream& stream() const { return m_stream; }
    quint8 version() const { return m_doc.Version; }

    void raw(char* data, qint64 size) {
        checkBody(size);
        if (m_stream.read(data, size) != size)
            endOfData();
    }
    quint8 u8() {
        char c;
        raw(&c, 1);
        return quint8(c);
    }
    bool flag() { return u8() != 0; }
    quint16 u16() { return little<quint16>(); }
    quint32 u32() { return little<quint32>(); }
    qint32 i32() { return qint32(u32()); }
    float f32() { return std::bit_cast<float>(u32()); }

    void tag(quint8 expected) {
        m_record = expected;
        if (u8() != expected)
            throw EReadFileError(tagError(expected));
    }

    // Counts objects about to be created for a record with the given tag.
    void admit(quint8 tag, int objects = 1) {
        m_objects += objects;
        if (m_objects > kMaxPrintoutObjects)
            refuse(tag);
    }
    // Refuses a read that would take the body past its limit, before anything is read.
    void checkBody(qint64 size) {
        if (m_stream.position() + size > kMaxPrintoutBody)
            refuse(m_record);
    }
    [[noreturn]] void refuse(int tag);

    // size bytes, grown chunk by chunk as they arrive.
    QByteArray bytes(qint64 size, QByteArray out = {});
    // A body string.
    QByteArray string();
    // A string that many records repeat (a field's style name): one shared copy per distinct
    // value, found without a copy of its own.
    QByteArray sharedString();
    std::unique_ptr<TMetafile> emf();

private:
    template <typename T> T little() {
        T v;
        raw(reinterpret_cast<char*>(&v), sizeof v);
        return qFromLittleEndian(v);
    }
    [[noreturn]] void endOfData();
    QByteArray newShared(qint64 size);
    // Reads a string's tag and length; any error on the way, as while reading its characters,
    // is "[101]" (a refusal as too big stays one).
    template <typename Read> QByteArray readString(Read read);

    struct ViewHash {
        using is_transparent = void;
        size_t operator()(QByteArrayView v) const noexcept { return qHash(v); }
    };
    struct ViewEqual {
        using is_transparent = void;
        bool operator()(QByteArrayView a, QByteArrayView b) const noexcept { return a == b; }
    };

    InflateStream& m_stream;
    TMLineWydruk& m_doc;
    qint64 m_objects = 0;
    quint8 m_record = 0; // tag of the record being read
    bool m_refused = false;
    std::unordered_set<QByteArray, ViewHash, ViewEqual> m_shared;
    QByteArray m_lastShared;
};

// Thrown by the waits of a composition whose printout is still being read; both unwind the
// composition and never leave MakePages.
struct CompositionStopped {}; // the user stopped it (Aborted)
struct CompositionRestart {}; // the printout began otherwise than assumed: compose it again

// A printout body read a piece at a time, in file order: the document header at once
// (readHead), then each step one piece: a style; a section's start; a group's head (flags and
// line count); one line with its fields; a section's subsection count; the start of one
// subsection; a section's trailer. A document being composed while it is read holds one
// (TMLineWydruk::Feed) and its composer asks for each piece before it uses it: the feed reads on
// until the piece is there. What the feed has read is the document's own from then on; the feed
// only knows where it stands: the sections open on its path and how far each has come.
//
// A read error ends the feed: it is thrown at once and again on any later read.
class BodyFeed {
public:
    // Reads from a stream of the caller's, which must outlive the feed.
    BodyFeed(TMLineWydruk& doc, InflateStream& stream);
    // Reads from a device placed just after the file header; the feed keeps it.
    BodyFeed(TMLineWydruk& doc, std::unique_ptr<QIODevice> device);
    ~BodyFeed();
    BodyFeed(const BodyFeed&) = delete;
    BodyFeed& operator=(const BodyFeed&) = delete;

    // Reads the document header (version to LinesPerPage) into the document, which the caller has
    // cleared.
    void readHead();
    // Reads the next piece; false once the whole body is read.
    bool step();
    bool finished() const { return m_path.empty(); }
    // Steps until there() holds, or at most maxSteps pieces when that is not negative; every so
    // often lets the document's OnWait handler run and throws CompositionStopped when the document
    // is aborted meanwhile. Returns whether there() holds.
    template <typename There> bool readUntil(There there, qint64 maxSteps = -1) {
        for (qint64 n = 0; !there(); ++n) {
            if (n == maxSteps || !step())
                return there();
            if ((n + 1) % kStepsBetweenWaits == 0)
                waited();
        }
        return true;
    }

    // Where the feed stands.
    bool stylesRead() const { return m_stylesLeft == 0; }
    bool headRead(const TLinie& group) const;
    bool groupRead(const TLinie& group) const;
    // The group's line count: as announced by its head while its lines are being read.
    int lineCount(const TLinie& group) const;
    bool subsectionsAnnounced(const TMLine& section) const;
    int sectionCount(const TMLine& section) const;
    bool sectionRead(const TMLine& section) const { return !frameOf(section); }

    // Counted lines (Header and Footer groups) read so far, and an estimate of all of them from how
    // far through the file the feed is.
    int estimatedLineCount() const;

    // A section whose trailer is not read yet, taken as not starting a new page.
    void assume(TMLine& section) { m_assumed.push_back(&section); }
    bool assuming() const { return !m_assumed.empty(); }
    void forgetAssumptions() { m_assumed.clear(); }
    // Reads on until every assumed section is read, at most maxSteps pieces when that is not
    // negative. Once they are read the assumptions are done with, and CompositionRestart is thrown
    // when one of the sections starts a new page after all. False: the pieces ran out first.
    bool settle(qint64 maxSteps = -1);

private:
    enum Phase : quint8 { Opening, Header, RepeatHeader, Subsections, Spare, Footer, Trailer };
    struct Frame {
        TMLine* section;
        Phase phase = Opening;
        bool opened = false; // the current group's head or the subsection count is read
        qint32 count = 0;    // lines or subsections the file announces
    };
    static constexpr int kStepsBetweenWaits = 64;

    void stepStyles();
    void stepSection(Frame& f);
    void stepGroup(Frame& f, TLinie& group);
    void stepSubsections(Frame& f);
    void next(Frame& f);
    const Frame* frameOf(const TMLine& section) const;
    static Phase phaseOf(const TLinie& group);
    void waited();

    std::unique_ptr<QIODevice> m_device;
    std::unique_ptr<InflateStream> m_ownStream;
    BodyReader m_reader;
    qint32 m_stylesLeft = -1;  // -1 until the style count is read
    std::vector<Frame> m_path; // the open sections, the root first
    std::vector<TMLine*> m_assumed;
    int m_linesRead = 0;
    std::exception_ptr m_error;
};

} // namespace vek
