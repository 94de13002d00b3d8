#pragma once
// The two charts of the vehicle costs: the margin of each vehicle (bars above the axis for a profit,
// below and in red for a loss) and the fleet's expenses by heading, month after month (stacked bars).
// The same charts are shown on the screen and drawn into the printed report as pictures.
#include "VehicleCosts.h"

#include <QColor>
#include <QSize>

class QChart;
class QImage;

namespace kv::costs {

/// Colours of the six headings, the same on the screen and on paper.
const std::array<QColor, kHeadings>& headingColours();

/// The bars of the margin chart at most: beyond, the vehicles of the largest margins and one bar for the others.
inline constexpr int kChartVehicles = 15;

/// A new chart of the margin per vehicle with a line in the period (the caller owns it); with more than
/// kChartVehicles such vehicles, the kChartVehicles - 1 of the largest margins (profit or loss) in the
/// register's order, then "Autres (N)" with the margin of the N others.
QChart* marginChart(const CostReport& report);
/// A new chart of the expenses by heading per month (the caller owns it).
QChart* monthlyChart(const CostReport& report);

/// Draws a chart that no view shows on a white picture of `size` logical pixels at `scale` device pixels per logical
/// pixel (2 gives a picture sharp enough for paper). The chart is resized for it.
QImage renderChart(QChart& chart, QSize size, qreal scale = 2.0);

} // namespace kv::costs
