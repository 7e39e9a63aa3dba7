#include "state/login_tables.h"

#include <algorithm>
#include <cstring>

#include "protocol/byte_scan.h"
#include "protocol/xml_entities.h"
#include "state/short_text.h"

namespace state {

namespace {

using protocol::bytes::firstOf;
using protocol::bytes::isWhite;
using protocol::bytes::skipWhite;

// A row's texts are brought into the cache ahead of its fill when they span at most this.
constexpr std::uint32_t kPrefetchedBytes = 4096;

// The end of [from, to) without the white space it ends with.
const char* skipWhiteBack(const char* from, const char* to) {
    while (to > from && isWhite(to[-1])) --to;
    return to;
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

void LoginTables::prefetch(const Row& row) const {
    if (row.cells == 0) return;
    // The row's texts lie between its first and last cell's in the document.
    const Cell& first = cells_[row.firstCell];
    const Cell& last = cells_[row.firstCell + row.cells - 1];
    const std::uint32_t from = first.text, to = last.text;
    if (((first.textLength | last.textLength) & kDecoded) || from > to || to - from > kPrefetchedBytes) return;
    for (std::uint32_t at = from; at <= to; at += 64) __builtin_prefetch(document_.data() + at);
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
    std::string_view rootName;
    Table* table = nullptr;
    auto offset = [begin](const char* p) { return static_cast<std::uint32_t>(p - begin); };
    // A column of the open row, its start tag read up to `p`: the text up to its
    // end tag. Where the column ends; none when the document is not of the usual shape.
    auto column = [&](const char* p, std::uint32_t nameAt, std::uint32_t nameLength, bool selfClosing) -> const char* {
        if (cells_.size() >= kMaxCells) return nullptr;
        const char* text = p;
        const char* textEnd = p;
        bool references = false;
        if (!selfClosing) {
            // The text up to the column's closing tag, decoded, then trimmed; no child.
            if (p < end && *p == '>') return nullptr;
            while ((textEnd = firstOf<'<', '&', '\0'>(textEnd, end)) < end && *textEnd != '<') {
                if (*textEnd == '\0') return nullptr;
                references = true;
                ++textEnd;
            }
            const char* close = textEnd;
            if (close + 1 >= end || close[1] != '/') return nullptr;
            // "</name>"; any other shape the general reader reads (or refuses).
            const char* closeEnd = close + 2 + nameLength;
            if (closeEnd >= end || *closeEnd != '>' || !sameBytes(close + 2, begin + nameAt, nameLength))
                return nullptr;
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
        cells_.push_back(Cell{nameAt, nameLength, at,
                              static_cast<std::uint32_t>(textEnd - text) | (references ? kDecoded : 0u)});
        return p;
    };

    // A NUL byte ends a document for the general reader: none may come before the end.
    const char* p = begin;
    while (true) {
        p = skipWhite(p, end);
        if (p < end && *p != '<') {
            // Text that no row keeps; after the root, none may come.
            if (level == Level::Top && rootSeen) return false;
            const char* lt = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
            if (std::memchr(p, '\0', static_cast<std::size_t>((lt ? lt : end) - p))) return false;
            p = lt ? lt : end;
        }
        if (p == end) break;
        if (level == Level::Row) {
            // Mostly the column the previous row of the table had at this place,
            // "<name>" as then: its name is kept once for all these rows.
            const Row& row = table->rows.back();
            const std::size_t at = cells_.size() - row.firstCell;
            if (const Row* previous = table->rows.size() > 1 ? &row - 1 : nullptr; previous && at < previous->cells) {
                const Cell& expected = cells_[previous->firstCell + at];
                const std::size_t nameLength = expected.nameLength;
                if (static_cast<std::size_t>(end - p) > nameLength + 1 && p[nameLength + 1] == '>' &&
                    sameBytes(p + 1, begin + expected.name, nameLength)) {
                    if (!(p = column(p + nameLength + 2, expected.name, expected.nameLength, false))) return false;
                    continue;
                }
            }
        }
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
            // It must close the open row, or the root.
            const char* closeName = p + 2;
            const std::string_view closing(closeName, static_cast<std::size_t>(skipWhiteBack(closeName, gt) - closeName));
            if (closing != (level == Level::Row ? table->name : rootName)) return false;
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
                rootName = name;
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
            case Level::Row:
                if (tableName || !(p = column(p, offset(name.data()), static_cast<std::uint32_t>(name.size()), selfClosing)))
                    return false;
                break;
        }
    }
    return rootSeen && level == Level::Top;
}

}  // namespace state
