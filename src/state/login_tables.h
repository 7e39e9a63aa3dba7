#pragma once
// XML tables read without an element tree: the login data and the account
// statement. A document of the usual shape (declarations, one root, rows
// whose names hold "Table", each a list of plain columns with text) is cut
// once into cells that point into the document (a text with references is
// decoded aside; a column named as the previous row's at its place is
// matched against that name, and its cell shares it); each row then reaches
// its filler through one reused TableRow, with the columns parseXml would
// have stored for it. Attributes are passed over, as parseXml stores none.
// Anything else (comments, CDATA, deeper nesting, a column named like a
// table, a closing tag that does not name its element, text after the root,
// a cut-off document) makes read() false: the caller reads it the general
// way, which refuses what is not well-formed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "state/reference_data.h"

namespace state {

class LoginTables {
public:
    // Cells a login or a statement may hold: a statement answer of a frame
    // (16 MiB) has fewer, at four bytes a cell at least, and a login's records
    // of 40 columns far fewer. Past it read() is false, and the general
    // reader's element cap (as many elements) refuses.
    static constexpr std::size_t kMaxCells = 4'000'000;

    // The document must outlive the reading of the rows.
    bool read(std::string_view document);
    // Each row of `table`, in document order.
    template <typename F>
    void eachRow(std::string_view table, F&& fill) const {
        eachRowFrom(table, 0, SIZE_MAX, fill);
    }
    // The rows of `table` from row `from` on, until they held `cells` cells
    // (at least one row); where the next call starts, rows(table) at the end.
    template <typename F>
    std::size_t eachRowFrom(std::string_view table, std::size_t from, std::size_t cells, F&& fill) const {
        const Table* t = tableNamed(table);
        if (!t) return 0;
        std::size_t held = 0;
        for (; from < t->rows.size() && held < std::max<std::size_t>(cells, 1); ++from) {
            if (from + 1 < t->rows.size()) prefetch(t->rows[from + 1]);
            held += std::max<std::size_t>(t->rows[from].cells, 1);
            fill(rowAt(t->rows[from]));
        }
        return from;
    }
    // The count of rows of `table`.
    std::size_t rows(std::string_view table) const {
        const Table* t = tableNamed(table);
        return t ? t->rows.size() : 0;
    }
    // Whether the document holds a row of `table`.
    bool holds(std::string_view table) const { return tableNamed(table) != nullptr; }
    // The first row of `table`, if any.
    template <typename F>
    void firstRow(std::string_view table, F&& fill) const {
        if (const Table* t = tableNamed(table); t && !t->rows.empty()) fill(rowAt(t->rows.front()));
    }

private:
    struct Cell {
        std::uint32_t name, nameLength, text, textLength;  // textLength's top bit: the text lies in decoded_
    };
    static constexpr std::uint32_t kDecoded = 0x8000'0000u;
    struct Row {
        std::size_t firstCell, cells;
    };
    struct Table {
        std::string_view name;
        std::vector<Row> rows;
    };
    const Table* tableNamed(std::string_view name) const;
    const TableRow& rowAt(const Row& row) const;
    // Asks for the texts of a row to be brought into the cache while the row before it is filled.
    void prefetch(const Row& row) const;

    std::string_view document_;
    std::vector<Cell> cells_;
    std::string decoded_;  // texts with references, decoded
    std::vector<Table> tables_;
    mutable TableRow row_;
};

}  // namespace state
