// The graph's list of series. Owns its TPoints and reports every change of the
// list or of one of its series to the graph.
#pragma once

#include "graph/Points.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace ondrix::graph {

// Raised by TSeries::Items for an index outside 0..Count-1; its message is empty.
class ESeriesIndexError : public std::out_of_range
{
  public:
    ESeriesIndexError() : std::out_of_range("") {}
};

class TSeries
{
  public:
    explicit TSeries(std::function<void()> onChange = {}) : onChange_(std::move(onChange)) {}
    TSeries(const TSeries&) = delete;
    TSeries& operator=(const TSeries&) = delete;

    // Appends a series with the defaults; reach it through Items(Count() - 1).
    void Add();
    TPoints& Items(int index);
    const TPoints& Items(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }

  private:
    void Changed();

    std::vector<std::unique_ptr<TPoints>> items_;
    std::function<void()> onChange_;
};

} // namespace ondrix::graph
