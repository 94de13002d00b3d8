#include "F_CoutVehicules.h"

#include "CostCharts.h"
#include "core/formats/FieldRules.h"
#include "core/kit/Colours.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/state/Session.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"

#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kv {

using kit::Command;
using kit::Glyph;

namespace costs {

kit::GridModel* CostList::create(QObject* parent)
{
    using kit::CellKind;
    const auto amount = [](const QString& caption) {
        return kit::GridColumn{caption, CellKind::Amount, {}, false, [](const QVariant& v) { return v.isNull() ? QString() : money(v.toDouble()); }};
    };
    QList<kit::GridColumn> columns = {{QStringLiteral("Matricule"), CellKind::Text, Qt::AlignHCenter},
                                      {QStringLiteral("Véhicule"), CellKind::Text}};
    for (const QString& caption : headingCaptions())
        columns << amount(caption);
    columns << amount(QStringLiteral("Dépenses")) << amount(QStringLiteral("Recettes")) << amount(QStringLiteral("Marge"))
            << kit::GridColumn{QStringLiteral("Km parcourus"), CellKind::Amount, {}, false,
                               [](const QVariant& v) { return v.toDouble() > 0 ? kilometres(v.toDouble()) : QString(); }}
            << amount(QStringLiteral("Coût / km"));
    columns[ColMarge].look = [](const QVariantList& row) {
        return row.value(ColMarge).toDouble() < 0 ? kit::CellLook{kit::colours::kLoss} : kit::CellLook{};
    };
    return new kit::GridModel(std::move(columns), parent);
}

void CostList::show(kit::GridModel& list, const CostReport& report)
{
    QList<QVariantList> rows;
    rows.reserve(report.vehicles.size());
    for (const VehicleCost& c : report.vehicles) {
        const Figures& f = c.figures;
        QVariantList row;
        row.reserve(ColumnCount);
        row << c.matricule << (c.archived ? c.name + QStringLiteral(" (archivé)") : c.name);
        for (double h : f.byHeading)
            row << h;
        row << f.expenses << f.receipts << f.margin() << f.km;
        row << (f.costPerKm() ? QVariant(*f.costPerKm()) : QVariant());
        rows << row;
    }
    list.setRows(std::move(rows));
}

} // namespace costs

namespace {

QLineEdit* dateField(QWidget* parent, const QString& name, ui::Ui& ui)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(10);
    e->setAlignment(Qt::AlignCenter);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("88/88/88888")) + 16);
    new DateField(e, ui);
    return e;
}

QString shown(const QDate& d) { return d.toString(db::kShownDateFormat); }

/// Saves a chart picture atomically; false when it cannot be written.
bool savePicture(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG"))
        return false;
    return file.commit();
}

} // namespace

F_CoutVehicules::F_CoutVehicules(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("F_CoutVehicules"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    const int year = s_.exerciceOuvert > 0 ? s_.exerciceOuvert : QDate::currentDate().year();
    bar_ = new kit::CommandBar(this);
    from_ = dateField(bar_, QStringLiteral("du"), s_.ui());
    to_ = dateField(bar_, QStringLiteral("au"), s_.ui());
    from_->setText(shown(QDate(year, 1, 1)));
    to_->setText(shown(QDate(year, 12, 31)));
    bar_->addWidget(new QLabel(QStringLiteral("Du"), bar_));
    bar_->addWidget(from_);
    bar_->addWidget(new QLabel(QStringLiteral("Au"), bar_));
    bar_->addWidget(to_);
    bar_->add(Glyph::Search, QStringLiteral("Calculer"), QStringLiteral("calculer"), QKeySequence(Qt::ALT | Qt::Key_C), this,
              &F_CoutVehicules::calculate);
    bar_->addGap();
    bar_->add(Command::Print, QStringLiteral("imprimer"), this, &F_CoutVehicules::print);
    bar_->addExport();
    bar_->addStretch();
    bar_->add(Command::Close, QStringLiteral("fermer"), this, &F_CoutVehicules::quit);
    auto* chain = new FieldChain({from_, to_}, this);
    connect(chain, &FieldChain::enterOnLast, this, [this] { calculate(); });

    model_ = costs::CostList::create(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grille"));
    grid_->setModel(model_);
    kit::setupGrid(grid_);
    kit::fitColumns(grid_, costs::CostList::ColVehicule);

    auto* totalsRow = new QHBoxLayout;
    totalsRow->addWidget(new QLabel(QStringLiteral("Total du parc :"), this));
    totalsRow->addStretch();
    const QList<QPair<QString, QString>> totals = {{QStringLiteral("Dépenses"), QStringLiteral("totDepenses")},
                                                   {QStringLiteral("Recettes"), QStringLiteral("totRecettes")},
                                                   {QStringLiteral("Marge"), QStringLiteral("totMarge")},
                                                   {QStringLiteral("Km parcourus"), QStringLiteral("totKm")},
                                                   {QStringLiteral("Coût / km"), QStringLiteral("totCoutKm")}};
    for (const auto& [caption, name] : totals) {
        QLineEdit* field = kit::totalField(this, name);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-888 888 888.88")) + 20);
        totalsRow->addWidget(new QLabel(caption, this));
        totalsRow->addWidget(field);
        totals_ << field;
    }

    marginView_ = new QChartView(this);
    marginView_->setObjectName(QStringLiteral("grapheMarge"));
    monthlyView_ = new QChartView(this);
    monthlyView_->setObjectName(QStringLiteral("grapheMois"));
    for (QChartView* v : {marginView_, monthlyView_}) {
        v->setRenderHint(QPainter::Antialiasing);
        // Tall enough on the smallest screen for the margin chart's upright registration numbers in full.
        v->setMinimumHeight(300);
        v->setMinimumWidth(300);
    }
    auto* charts = new QHBoxLayout;
    charts->addWidget(marginView_, 1);
    charts->addWidget(monthlyView_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Coût par véhicule"), this));
    layout->addWidget(bar_);
    // The table keeps the larger share and at least ten lines in sight, whatever the size of the fleet.
    grid_->setMinimumHeight(grid_->horizontalHeader()->sizeHint().height() + 10 * grid_->verticalHeader()->defaultSectionSize()
                            + 2 * grid_->frameWidth());
    layout->addWidget(grid_, 3);
    layout->addLayout(totalsRow);
    layout->addLayout(charts, 2);

    calculate();
    kit::sizeScreen(*this, QSize(1240, 740));
}

F_CoutVehicules::~F_CoutVehicules() = default;

QToolButton* F_CoutVehicules::command(const QString& objectName) const { return bar_->command(objectName); }

QLineEdit* F_CoutVehicules::total(const QString& objectName) const
{
    for (QLineEdit* e : totals_)
        if (e->objectName() == objectName)
            return e;
    return nullptr;
}

bool F_CoutVehicules::calculate()
{
    if (!checkDateField(*from_, s_.ui()) || !checkDateField(*to_, s_.ui()))
        return false;
    const QDate from = QDate::fromString(from_->text().trimmed(), db::kShownDateFormat);
    const QDate to = QDate::fromString(to_->text().trimmed(), db::kShownDateFormat);
    if (to < from) {
        s_.ui().refuse(QStringLiteral("Dates inversées"));
        to_->setFocus();
        to_->selectAll();
        return false;
    }
    costs::CostReport report;
    if (!kit::guarded(s_.ui(), [&] { report = costs::compute(s_.db(), from, to); }))
        report = costs::CostReport{from, to, {}, {}, {}};
    display(report);
    return true;
}

void F_CoutVehicules::display(const costs::CostReport& report)
{
    report_ = report;
    costs::CostList::show(*model_, report);
    kit::fitColumns(grid_, costs::CostList::ColVehicule);
    const costs::Figures& f = report.fleet;
    total(QStringLiteral("totDepenses"))->setText(costs::money(f.expenses));
    total(QStringLiteral("totRecettes"))->setText(costs::money(f.receipts));
    total(QStringLiteral("totMarge"))->setText(costs::money(f.margin()));
    total(QStringLiteral("totKm"))->setText(f.km > 0 ? costs::kilometres(f.km) : QString());
    total(QStringLiteral("totCoutKm"))->setText(f.costPerKm() ? costs::money(*f.costPerKm()) : QString());
    for (auto [view, chart] : {std::pair{marginView_, costs::marginChart(report)}, std::pair{monthlyView_, costs::monthlyChart(report)}}) {
        QChart* previous = view->chart();
        view->setChart(chart);
        delete previous;
    }
    command(QStringLiteral("imprimer"))->setEnabled(!report.vehicles.isEmpty());
}

void F_CoutVehicules::print()
{
    if (report_.vehicles.isEmpty() || !report_.from.isValid())
        return;
    // The charts go to the report as pictures beside its PDF, named by the selection parameters.
    const QString folder = QFileInfo(reportOutputPath(QStringLiteral("Cout_Vehicules.RPT"))).absolutePath();
    const QString marginPath = folder + QStringLiteral("/Cout_Vehicules_marge.png");
    const QString monthlyPath = folder + QStringLiteral("/Cout_Vehicules_mois.png");
    std::unique_ptr<QChart> margin(costs::marginChart(report_));
    std::unique_ptr<QChart> monthly(costs::monthlyChart(report_));
    if (!savePicture(costs::renderChart(*margin, QSize(1000, 330)), marginPath)
        || !savePicture(costs::renderChart(*monthly, QSize(1000, 330)), monthlyPath)) {
        s_.ui().message(QStringLiteral("Impossible d'écrire les graphiques dans ") + folder, ui::Icon::Critical,
                        QStringLiteral("Z.E.B."));
        return;
    }
    ReportRequest request;
    request.templateName = QStringLiteral("Cout_Vehicules.RPT");
    request.texts.insert(QStringLiteral("ch4"),
                         QStringLiteral("Période du %1 au %2").arg(shown(report_.from), shown(report_.to)));
    request.params.insert(QStringLiteral("du"), report_.from.toString(Qt::ISODate));
    request.params.insert(QStringLiteral("au"), report_.to.toString(Qt::ISODate));
    request.params.insert(QStringLiteral("graphe_marge"), QUrl::fromLocalFile(marginPath).toString());
    request.params.insert(QStringLiteral("graphe_mois"), QUrl::fromLocalFile(monthlyPath).toString());
    kit::guarded(s_.ui(), [&] { printReport(s_, request); });
}

} // namespace kv
