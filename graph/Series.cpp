#include "graph/Series.h"

namespace ondrix::graph {

void TSeries::Add()
{
    auto points = std::make_unique<TPoints>();
    points->SetOnChange([this] { Changed(); });
    items_.push_back(std::move(points));
    Changed();
}

TPoints& TSeries::Items(int index)
{
    if (index < 0 || index >= Count()) throw ESeriesIndexError();
    return *items_[static_cast<std::size_t>(index)];
}

const TPoints& TSeries::Items(int index) const
{
    if (index < 0 || index >= Count()) throw ESeriesIndexError();
    return *items_[static_cast<std::size_t>(index)];
}

void TSeries::Changed()
{
    if (onChange_) onChange_();
}

} // namespace ondrix::graph
