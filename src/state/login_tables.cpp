#include "state/login_tables.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "protocol/xml_entities.h"

namespace state {

namespace {

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The end of the tag opened at `lt`: its first ">", none when a "<" or the
// end of the document comes first.
const char* tagEnd(const char* lt, const char* end) {
    for (const char* p = lt + 1; p < end; ++p) {
        if (*p == '>') return p;
        if (*p == '<' || *p == '\0') return nullptr;
    }
    return nullptr;
}

// The first byte from `p` on that is one of `Stops`; `end` when none is.
template <char... Stops>
const char* firstOf(const char* p, const char* end) {
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_setzero_si128();
        ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(Stops)))), ...);
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit))) return p + std::countr_zero(mask);
    }
#endif
    for (; p < end; ++p)
        if (((*p == Stops) || ...)) return p;
    return end;
}

}  // namespace

const LoginTables::Table* LoginTables::tableNamed(std::string_view name) const {
    for (const Table& t : tables_)
        if (t.name == name) return &t;
    return nullptr;
}

const TableRow& LoginTables::rowAt(const Row& row) const {
    const char* base = document_.data();
    row_.assign(row.cells, [&](std::size_t i) {
        const Cell& c = cells_[row.firstCell + i];
        const char* text = (c.textLength & kDecoded) ? decoded_.data() + c.text : base + c.text;
        return std::pair(std::string_view(base + c.name, c.nameLength), std::string_view(text, c.textLength & ~kDecoded));
    });
    return row_;
}

bool LoginTables::read(std::string_view document) {
    document_ = document;
    cells_.clear();
    tables_.clear();
    decoded_.clear();
    if (document.size() >= kDecoded) return false;
    // About one cell to every 40 bytes of a usual document.
    cells_.reserve(std::min(document.size() / 40, kMaxCells));
    const char* const begin = document.data();
    const char* const end = begin + document.size();
    enum class Level { Top, Root, Row } level = Level::Top;
    bool rootSeen = false;
    Table* table = nullptr;
    auto offset = [begin](const char* p) { return static_cast<std::uint32_t>(p - begin); };

    // A NUL byte ends a document for the general reader: none may come before the end.
    const char* p = begin;
    while (true) {
        while (p < end && isWhite(*p)) ++p;
        if (p < end && *p != '<') {
            // Text that no row keeps.
            const char* lt = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
            if (std::memchr(p, '\0', static_cast<std::size_t>((lt ? lt : end) - p))) return false;
            p = lt ? lt : end;
        }
        if (p == end) break;
        // The tag's end and where its name stops, in one pass.
        const char* nameStop = nullptr;
        const char* gt = firstOf<'>', '<', '\0', ' ', '/'>(p + 1, end);
        if (gt < end && (*gt == ' ' || *gt == '/')) {
            nameStop = gt;
            gt = firstOf<'>', '<', '\0'>(gt + 1, end);
        }
        if (gt == end || *gt != '>') return false;
        const char kind = p + 1 < gt ? p[1] : '\0';
        if (kind == '!') return false;  // comment, CDATA, document type
        if (kind == '?') {
            if (level != Level::Top || rootSeen) return false;
            p = gt + 1;
            continue;
        }
        if (kind == '/') {
            if (level == Level::Top) return false;
            if (level == Level::Row) table->rows.back().cells = cells_.size() - table->rows.back().firstCell;
            level = level == Level::Row ? Level::Root : Level::Top;
            p = gt + 1;
            continue;
        }
        // A start tag: a plain name, "/" before ">" when it closes itself.
        const bool selfClosing = gt[-1] == '/' && gt - 1 > p;
        // The name ends at a space or "/"; attributes after it are passed over.
        const char* nameEnd = nameStop ? nameStop : gt;
        const std::string_view name(p + 1, static_cast<std::size_t>(nameEnd - (p + 1)));
        if (name.empty()) return false;
        const bool tableName = name.find("Table") != std::string_view::npos;
        p = gt + 1;
        switch (level) {
            case Level::Top:
                if (rootSeen || tableName) return false;
                rootSeen = true;
                if (!selfClosing) level = Level::Root;
                break;
            case Level::Root: {
                if (!tableName) return false;
                if (!table || table->name != name) {
                    table = nullptr;
                    for (Table& t : tables_)
                        if (t.name == name) table = &t;
                }
                if (!table) table = &tables_.emplace_back(Table{name, {}});
                table->rows.push_back(Row{cells_.size(), 0});
                if (!selfClosing) level = Level::Row;
                break;
            }
            case Level::Row: {
                if (tableName || cells_.size() >= kMaxCells) return false;
                const char* text = p;
                const char* textEnd = p;
                bool references = false;
                if (!selfClosing) {
                    // The text up to the column's closing tag, decoded, then trimmed; no child.
                    if (p < end && *p == '>') return false;
                    while ((textEnd = firstOf<'<', '&', '\0'>(textEnd, end)) < end && *textEnd != '<') {
                        if (*textEnd == '\0') return false;
                        references = true;
                        ++textEnd;
                    }
                    const char* close = textEnd;
                    if (close + 1 >= end || close[1] != '/') return false;
                    // Mostly "</name>"; any other closing name ends the column too.
                    const char* closeEnd = close + 2 + name.size();
                    if (closeEnd >= end || *closeEnd != '>' || std::memcmp(close + 2, name.data(), name.size()) != 0)
                        closeEnd = tagEnd(close, end);
                    if (!closeEnd) return false;
                    p = closeEnd + 1;
                }
                std::uint32_t at = offset(text);
                if (references) {
                    // Decoded as the element tree decodes, before the trim.
                    const std::size_t from = decoded_.size();
                    decoded_.append(text, textEnd);
                    char* const raw = decoded_.data() + from;
                    char* const rawEnd = protocol::decodeXmlEntities(raw, decoded_.data() + decoded_.size(), raw);
                    decoded_.resize(static_cast<std::size_t>(rawEnd - decoded_.data()));
                    text = raw;
                    textEnd = rawEnd;
                    at = static_cast<std::uint32_t>(from);
                }
                while (text < textEnd && isWhite(*text)) ++text, ++at;
                while (textEnd > text && isWhite(textEnd[-1])) --textEnd;
                cells_.push_back(Cell{offset(name.data()), static_cast<std::uint32_t>(name.size()), at,
                                      static_cast<std::uint32_t>(textEnd - text) | (references ? kDecoded : 0u)});
                break;
            }
        }
    }
    return rootSeen && level == Level::Top;
}

}  // namespace state
