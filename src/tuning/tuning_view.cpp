#include "tuning/tuning_view.h"

#include "notation/mandal_column.h"

namespace zembera {

void TuningView::drawTransposedCell(const InstrumentState& state, int s) {
    zembera::drawTransposedCell(numberColumns(), state, s);
}

void TuningView::clearTransposedColumn() {
    zembera::clearTransposedColumn(numberColumns());
}

} // namespace zembera
