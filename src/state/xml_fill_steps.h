#pragma once
// The XML login data's fill cut into steps of bounded work, in the order of a
// whole fill (ReferenceData::xmlLoginTables): each table's rows by ranges of
// cells, the watchlist load after the instruments and the spread pass after
// the group instruments as the compact steps run them.
#include <cstddef>
#include <memory>

#include "state/fill_steps.h"
#include "state/xml_login_cells.h"

namespace state {

class XmlFillSteps : public FillSteps {
  public:
    // Cells whose rows one step fills: a few milliseconds.
    static constexpr std::size_t kCellsPerStep = 100000;

    // `cells` is held, with its document, while the steps last.
    XmlFillSteps(ReferenceData& reference, std::shared_ptr<const XmlLoginCells> cells);
    // The document and its cells are let go on the io queue: freeing them costs a slice.
    ~XmlFillSteps() override;

  private:
    // Each group's table sized for its rows at once, not grown in the steps.
    void reserveGroupInstruments();

    ReferenceData& reference_;
    std::shared_ptr<const XmlLoginCells> cells_;
};

}  // namespace state
