// The one conversion between world values and plot pixels.
#include "graph/PlotMapping.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace ondrix::graph;

namespace {

// Columns 10..410 over -2..6 (0.02 per column), rows 5..205 over -1..1 (0.01 per row).
const TGraphRect kPlot{10, 5, 410, 205};
const TEGRange kRange{-2, -1, 6, 1};

TEST(PlotMapping, EdgesMapToTheRangeAndBack)
{
    const TPlotMapping mapping(kPlot, kRange);
    EXPECT_EQ(mapping.XAt(10), -2);
    EXPECT_EQ(mapping.XAt(410), 6);
    EXPECT_EQ(mapping.YAt(205), -1);
    EXPECT_EQ(mapping.YAt(5), 1);
    EXPECT_EQ(mapping.RowOf(-1), 205);
    EXPECT_EQ(mapping.RowOf(1), 5);
    EXPECT_EQ(mapping.ColumnsPerX(), 50);
    EXPECT_EQ(mapping.RowsPerY(), 100);
    // Every row's value maps back to that row; pixels outside the plot extend the scale.
    for (int row = -100; row <= 300; ++row)
        ASSERT_EQ(mapping.RowOf(mapping.YAt(row)), row) << row;
    EXPECT_NEAR(mapping.XAt(0), -2.2L, 1e-18L);
}

TEST(PlotMapping, RowsRoundHalvesToEvenAndClampFarValues)
{
    const TPlotMapping mapping(TGraphRect{0, 0, 100, 100}, TEGRange{0, 0, 100, 100});
    // y = 2.5 lies 2.5 rows above the bottom: row 100 - 2, not 100 - 3.
    EXPECT_EQ(mapping.RowOf(2.5L), 98);
    EXPECT_EQ(mapping.RowOf(3.5L), 96);
    EXPECT_EQ(mapping.RowOf(-0.5L), 100);
    // No overflow however far the value lies; NaN gives the bottom row.
    EXPECT_EQ(mapping.RowOf(1e300L), 100 - (1 << 28));
    EXPECT_EQ(mapping.RowOf(-1e300L), 100 + (1 << 28));
    EXPECT_EQ(mapping.RowOf(std::numeric_limits<long double>::quiet_NaN()), 100);
}

} // namespace
