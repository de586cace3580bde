#include "PageList.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace vek {

namespace {

// Integer conversion of a typed digit string; fails like the platform's StrToInt.
int toInteger(const QString& digits) {
    bool ok = false;
    const int value = digits.toInt(&ok);
    if (!ok)
        throw EConvertError(u"'%1' nie jest prawidłową wartością całkowitą"_s.arg(digits));
    return value;
}

// Scans the text item by item; every closed item is handed to the sink as its range (a, b).
template <typename Sink> class Parser {
public:
    explicit Parser(Sink sink)
        : m_sink(std::move(sink)) {}

    void take(QChar c) {
        if (c == u',')
            closeItem();
        else if (c == u'-')
            m_range = true;
        else if (c >= u'0' && c <= u'9')
            (m_range ? m_second : m_first).append(c);
    }

    void finish() {
        if (!m_first.isEmpty())
            closeItem();
    }

private:
    void closeItem() {
        if (m_second.isEmpty())
            m_second = m_first;
        const int a = toInteger(m_first);
        const int b = toInteger(m_second);
        if (b < a)
            throw EPrintDlgError(
                u"Podany zakres stron (%1-%2) jest nieprawidłowy !"_s.arg(m_first, m_second));
        m_sink(a, b);
        m_first.clear();
        m_second.clear();
        m_range = false;
    }

    Sink m_sink;
    QString m_first;
    QString m_second;
    bool m_range = false;
};

[[noreturn]] void badPage(qint64 k) {
    throw EPrintDlgError(u"Nieprawidłowy numer strony: %1 !"_s.arg(k));
}

template <typename Sink> void parse(const QString& text, Sink sink) {
    if (text.isEmpty())
        throw EPrintDlgError(u"Nie podano zestawu stron !"_s);
    Parser<Sink> parser(std::move(sink));
    for (QChar c : text)
        parser.take(c);
    parser.finish();
}

void checkCollected(bool collected, const QString& text) {
    if (!collected)
        throw EPrintDlgError(u"Podane numery stron (%1)\rsą nieprawidłowe !"_s.arg(text));
}

} // namespace

QList<int> ParsePageList(const QString& text, int pageCount) {
    QList<int> pages;
    // Every page is checked before it is added, so a huge range stops at the first page past the
    // end instead of filling memory.
    auto sink = [&](int a, int b) {
        for (qint64 k = a; k <= b; ++k) {
            if (k < 1 || k > pageCount)
                badPage(k);
            pages.append(int(k));
        }
    };
    parse(text, sink);
    checkCollected(!pages.isEmpty(), text);
    return pages;
}

QList<PageRange> ParsePageRanges(const QString& text) {
    QList<PageRange> ranges;
    auto sink = [&](int a, int b) {
        if (a < 1)
            badPage(a);
        ranges.append({a, b});
    };
    parse(text, sink);
    checkCollected(!ranges.isEmpty(), text);
    return ranges;
}

PageSchedule::PageSchedule(QList<PageRange> ranges)
    : m_ranges(std::move(ranges))
    , m_all(m_ranges.isEmpty()) {
    m_next = m_all ? 1 : m_ranges.first().first;
}

void PageSchedule::pageMade(int made, const std::function<void(int)>& emit) {
    if (m_all) {
        while (m_next <= made)
            emit(int(m_next++));
        return;
    }
    while (m_range < m_ranges.size() && m_next <= made) {
        emit(int(m_next));
        if (++m_next > m_ranges[m_range].last && ++m_range < m_ranges.size())
            m_next = m_ranges[m_range].first;
    }
}

bool PageSchedule::complete() const {
    return !m_all && m_range >= m_ranges.size();
}

} // namespace vek
