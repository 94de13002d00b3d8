#include "CostCharts.h"

#include "core/kit/Colours.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kv::costs {

namespace {

QChart* newChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setBold(true);
    titleFont.setPointSizeF(10);
    chart->setTitleFont(titleFont);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundBrush(Qt::white);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

void addAxes(QChart* chart, QStackedBarSeries* series, const QStringList& categories)
{
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    QFont small = x->labelsFont();
    small.setPointSizeF(8);
    x->setLabelsFont(small);
    // Upright labels while they have room; across the bars when there are many.
    if (categories.size() > 12)
        x->setLabelsAngle(-90);
    else if (categories.size() > 6 && categories.first().size() > 6)
        x->setLabelsAngle(-45);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setLabelsFont(small);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    y->applyNiceNumbers();
}

} // namespace

const std::array<QColor, kHeadings>& headingColours()
{
    static const std::array<QColor, kHeadings> colours = [] {
        std::array<QColor, kHeadings> c;
        for (int h = 0; h < kHeadings; ++h)
            c[h] = QColor(kit::colours::kSeries[h]);
        return c;
    }();
    return colours;
}

QChart* marginChart(const CostReport& report)
{
    QChart* chart = newChart(QStringLiteral("Marge par véhicule"));
    auto* profit = new QBarSet(QStringLiteral("Bénéfice"));
    auto* loss = new QBarSet(QStringLiteral("Perte"));
    profit->setColor(QColor(kit::colours::kProfit));
    loss->setColor(QColor(kit::colours::kLoss));
    // Vehicles without a line in the period have no margin to show: left out, so the others keep room.
    QList<std::pair<QString, double>> bars;
    for (const VehicleCost& c : report.vehicles) {
        const double m = c.figures.margin();
        if (m == 0 && c.figures.expenses == 0)
            continue;
        bars.append({c.matricule.isEmpty() ? c.name : c.matricule, m});
    }
    // A large fleet: the vehicles of the largest margins, profit or loss, in the register's order, and
    // the others together in one bar, so that every bar keeps a readable label.
    if (bars.size() > kChartVehicles) {
        QList<int> order(bars.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return std::abs(bars[a].second) > std::abs(bars[b].second); });
        QList<bool> shown(bars.size(), false);
        for (int i = 0; i < kChartVehicles - 1; ++i)
            shown[order[i]] = true;
        QList<std::pair<QString, double>> kept;
        double others = 0;
        for (int i = 0; i < bars.size(); ++i) {
            if (shown[i])
                kept.append(bars[i]);
            else
                others += bars[i].second;
        }
        kept.append({QStringLiteral("Autres (%1)").arg(bars.size() - (kChartVehicles - 1)), others});
        bars = kept;
    }
    QStringList categories;
    for (const auto& [label, m] : bars) {
        *profit << (m > 0 ? m : 0);
        *loss << (m < 0 ? m : 0);
        categories << label;
    }
    auto* series = new QStackedBarSeries;
    series->append(profit);
    series->append(loss);
    series->setBarWidth(0.6);
    addAxes(chart, series, categories);
    return chart;
}

QChart* monthlyChart(const CostReport& report)
{
    QChart* chart = newChart(QStringLiteral("Dépenses par rubrique et par mois"));
    auto* series = new QStackedBarSeries;
    for (int h = 0; h < kHeadings; ++h) {
        auto* set = new QBarSet(headingCaptions()[h]);
        set->setColor(headingColours()[h]);
        set->setBorderColor(headingColours()[h].darker(130));
        for (const MonthExpenses& m : report.months)
            *set << m.byHeading[h];
        series->append(set);
    }
    series->setBarWidth(0.7);
    // The months of one year are named without it (the period says it); across years each carries its year.
    const bool oneYear = !report.months.isEmpty() && report.months.first().year == report.months.last().year;
    QStringList categories;
    for (const MonthExpenses& m : report.months)
        categories << (oneYear ? monthCaption(m.year, m.month).section(u' ', 0, 0) : monthCaption(m.year, m.month));
    if (oneYear)
        chart->setTitle(chart->title() + QStringLiteral(" (%1)").arg(report.months.first().year));
    addAxes(chart, series, categories);
    return chart;
}

QImage renderChart(QChart& chart, QSize size, qreal scale)
{
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QGraphicsScene scene;
    scene.addItem(&chart);
    chart.resize(size);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), QRectF(QPointF(0, 0), QSizeF(size)));
    }
    scene.removeItem(&chart);
    return image;
}

} // namespace kv::costs
