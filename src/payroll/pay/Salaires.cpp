#include "Salaires.h"

#include "AdvancesPanel.h"
#include "DocumentsPanel.h"
#include "PayForm.h"
#include "PayParts.h"
#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/formats/Names.h"
#include "core/formats/Numbers.h"
#include "core/formats/Telephone.h"
#include "core/kit/Guard.h"
#include "core/kit/RowConflict.h"
#include "core/ledger/Ledger.h"
#include "core/kit/ExerciseDate.h"
#include "core/kit/ScreenKit.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "payroll/documents/FPaye.h"
#include "core/kit/GridModel.h"
#include "people/accounts/FundMovement.h"
#include "platform/db/Database.h"
#include "platform/os/Files.h"

#include <QCheckBox>
#include <QDate>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using namespace payroll;
using kit::GridModel;
using kit::GridView;
using kit::Command;
using kit::Glyph;

namespace {

const QString kZeb = QStringLiteral("Z.E.B.");

/// The side panels open in place of the advances column, which has the same width.
constexpr int kSideWidth = 440;
/// The month list opens in place of the agent's page, wide enough for its nine columns.
constexpr int kListWidth = 780;
constexpr int kPhotoWidth = 96;
constexpr int kPhotoHeight = 112;

QString monthName(int month) { return dayMonthNames().frenchMonths[month - 1].trimmed(); }

QLineEdit* shownField(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

} // namespace

// ---- construction -----------------------------------------------------------------------------------------

Salaires::Salaires(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Salaires"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    setStyleSheet(kit::panelBoxStyle());
    year_ = s_.exerciceOuvert;

    title_ = kit::titleBand(QStringLiteral("Salaires"), this);

    bar_ = new kit::CommandBar(this);
    bar_->add(Glyph::Up, QStringLiteral("Début"), QStringLiteral("debut"), QKeySequence(Qt::CTRL | Qt::Key_Home), this,
              &Salaires::first);
    bar_->add(Glyph::Up, QStringLiteral("Précédent"), QStringLiteral("precedent"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
              this, &Salaires::previous);
    bar_->add(Glyph::Down, QStringLiteral("Suivant"), QStringLiteral("suivant"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
              this, &Salaires::next);
    bar_->add(Glyph::Down, QStringLiteral("Dernier"), QStringLiteral("dernier"), QKeySequence(Qt::CTRL | Qt::Key_End), this,
              &Salaires::last);
    bar_->addGap();
    bar_->add(Command::Search, QStringLiteral("recherche"), this, &Salaires::search, QStringLiteral("Recherche"));
    bar_->add(Glyph::Open, QStringLiteral("Autre Mois"), QStringLiteral("autre_mois"), QKeySequence(Qt::ALT | Qt::Key_O),
              this, &Salaires::otherMonth);
    bar_->addGap();
    sauvegarder_ = bar_->add(Glyph::Confirm, QStringLiteral("Sauvegarder"), QStringLiteral("sauvegarder"),
                             QKeySequence(Qt::ALT | Qt::Key_G), this, &Salaires::sauvegarder);
    deverrouiller_ = bar_->add(Glyph::Edit, QStringLiteral("Déverrouiller"), QStringLiteral("deverrouiller"),
                               QKeySequence(Qt::ALT | Qt::Key_D), this, &Salaires::deverrouiller);
    bar_->addStretch();
    bar_->add(Command::Quit, QStringLiteral("quitter"), this, &Salaires::quit);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("onglets"));
    tabs_->addTab(buildAgentPage(), QStringLiteral("Agent"));

    side_ = new kit::SidePanel(kSideWidth, this);
    listSide_ = new kit::SidePanel(kListWidth, this);
    buildChooserPanel();
    buildListPanel();
    buildClosingPanel();

    auto* body = new QHBoxLayout;
    body->addWidget(tabs_, 1);
    body->addWidget(listSide_, 1);
    body->addWidget(buildAdvances());
    documents_->buildPanels(side_);
    body->addWidget(side_);

    auto* root = new QVBoxLayout(this);
    root->setSpacing(6);
    root->addWidget(title_);
    root->addWidget(bar_);
    root->addLayout(body, 1);

    kit::guarded(s_.ui(), [&] { params_ = readPayParams(s_.db()); });
    fillChooser();
    clearAgent();
    showLockState();
    // A panel takes the place of the advances column: measured with the column hidden.
    advancesBox_->hide();
    kit::sizeScreen(*this, QSize(1260, 740), {side_});
    advancesBox_->show();
    // What Escape asks about: the agent's pay and observations, and the signer.
    typed_ = new kit::ChangeWatch(tabs_);
    typed_->track(documents_->signatoryBox());

    // The screen opens on the month chooser, on the current month.
    openPanel(chooserPanel_);
    chooserView_->selectLine(QDate::currentDate().month() - 1);
}

QWidget* Salaires::buildAgentPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("agent"));
    auto* l = new QVBoxLayout(page);
    l->setSpacing(6);

    // Identity: photo, name, first name, function, telephone; observations below.
    auto* identity = new QHBoxLayout;
    photo_ = new QLabel(page);
    photo_->setObjectName(QStringLiteral("photo"));
    photo_->setFixedSize(kPhotoWidth, kPhotoHeight);
    photo_->setFrameShape(QFrame::StyledPanel);
    photo_->setAlignment(Qt::AlignCenter);
    identity->addWidget(photo_, 0, Qt::AlignTop);
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(3);
    nom_ = shownField(page, QStringLiteral("nom"));
    prenom_ = shownField(page, QStringLiteral("prenom"));
    fonction_ = shownField(page, QStringLiteral("fonction"));
    QFont bold = nom_->font();
    bold.setBold(true);
    nom_->setFont(bold);
    tel_ = kit::commandButton(page, Glyph::None, QString(), QStringLiteral("telephone"), QKeySequence(),
                              QStringLiteral("Composer le numéro"));
    tel_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(tel_, &QToolButton::clicked, this, &Salaires::dial);
    form->addWidget(new QLabel(QStringLiteral("Nom"), page), 0, 0);
    form->addWidget(nom_, 0, 1, 1, 3);
    form->addWidget(new QLabel(QStringLiteral("Prénom"), page), 1, 0);
    form->addWidget(prenom_, 1, 1, 1, 3);
    form->addWidget(new QLabel(QStringLiteral("Fonction"), page), 2, 0);
    form->addWidget(fonction_, 2, 1, 1, 3);
    form->addWidget(new QLabel(QStringLiteral("Tél."), page), 3, 0);
    form->addWidget(tel_, 3, 1, 1, 3, Qt::AlignLeft);
    form->setColumnStretch(1, 1);
    identity->addLayout(form, 1);
    l->addLayout(identity);

    obs_ = new QPlainTextEdit(page);
    obs_->setObjectName(QStringLiteral("observations"));
    obs_->setPlaceholderText(QStringLiteral("Observations"));
    obs_->setMinimumHeight(obs_->fontMetrics().lineSpacing() * 3 + 12);
    l->addWidget(obs_, 1);

    // The pay: elements subject to deductions and not, deductions, totals.
    pay_ = new PayForm(page);
    const QList<QLineEdit*> entries = pay_->entryFields();
    for (QLineEdit* e : entries)
        e->installEventFilter(this);
    for (QCheckBox* box : {pay_->cnasBox(), pay_->irgBox()})
        connect(box, &QCheckBox::clicked, this, [this] {
            flagsClicked_ = true;
            recompute();
        });
    for (QRadioButton* r : {pay_->celibataire(), pay_->marie()})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                recompute();
        });
    connect(pay_->enfants(), &QSpinBox::valueChanged, this, [this] { recompute(); });
    l->addWidget(pay_);

    // Enter and the arrows walk the entries in the pay's order, up to "Remb Avances".
    auto* chain = new FieldChain(this);
    for (QLineEdit* e : entries.mid(0, 9))
        chain->add(e);
    return page;
}

QWidget* Salaires::buildAdvances()
{
    advancesBox_ = new QWidget(this);
    advancesBox_->setObjectName(QStringLiteral("avances_panneau"));
    auto* l = new QVBoxLayout(advancesBox_);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(6);
    advances_ = new AdvancesPanel(advancesBox_);
    connect(advances_, &AdvancesPanel::newRequested, this, &Salaires::newAdvance);
    connect(advances_, &AdvancesPanel::changeRequested, this, &Salaires::changeAdvance);
    connect(advances_, &AdvancesPanel::deleteRequested, this, &Salaires::deleteAdvance);
    connect(advances_, &AdvancesPanel::printRequested, this, &Salaires::imprimer);
    connect(advances_, &AdvancesPanel::lineOpened, this, [this] {
        if (!locked())
            changeAdvance();
    });
    l->addWidget(advances_, 1);
    documents_ = new PayDocumentsPanel(static_cast<PayDocumentsHost&>(*this), s_, advancesBox_);
    l->addWidget(documents_);
    advancesBox_->setFixedWidth(kSideWidth);
    return advancesBox_;
}

void Salaires::buildChooserPanel()
{
    QVBoxLayout* l = nullptr;
    chooserPanel_ = payparts::sidePanel(QStringLiteral("Mois de ..."), QStringLiteral("choix_mois"), side_, &l);
    chooserModel_ = new GridModel({Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignHCenter}, chooserPanel_);
    chooserModel_->setCaptions({QStringLiteral("N°"), QStringLiteral("Mois"), QString()});
    chooserView_ = new GridView(chooserModel_, 1, chooserPanel_);
    chooserView_->setObjectName(QStringLiteral("grille_mois"));
    kit::onChoose(chooserView_, [this](int row) {
        if (row < 12)
            openMonth(row + 1);
    });
    l->addWidget(chooserView_, 1);
    const kit::PanelButtons buttons = kit::panelButtons(chooserPanel_, QStringLiteral("ouvrir_mois"),
                                                        QStringLiteral("annuler_mois"));
    connect(buttons.confirm, &QToolButton::clicked, this, [this] {
        if (const int row = chooserView_->selectedLine(); row >= 0)
            openMonth(row + 1);
    });
    connect(buttons.cancel, &QToolButton::clicked, this, &Salaires::closePanel);
    l->addWidget(buttons.row);
    side_->addPanel(chooserPanel_, [this] { closePanel(); });
}

void Salaires::buildListPanel()
{
    QVBoxLayout* l = nullptr;
    listPanel_ = payparts::sidePanel(QStringLiteral("Agents du mois"), QStringLiteral("liste_mois"), listSide_, &l);
    listModel_ = new GridModel({Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight,
                                Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight, Qt::AlignRight},
                               listPanel_);
    listModel_->setCaptions(monthListCaptions());
    listView_ = new GridView(listModel_, 3, listPanel_); // the function gives way to the amounts
    listView_->setObjectName(QStringLiteral("grille_agents"));
    kit::onChoose(listView_, [this](int row) {
        if (row < listModel_->lineCount() && showAgentAt(row))
            closeList();
    });
    l->addWidget(listView_, 1);
    const kit::PanelButtons buttons = kit::panelButtons(listPanel_, QStringLiteral("selectionner"),
                                                        QStringLiteral("fermer_liste"));
    buttons.confirm->setText(QStringLiteral("Sélectionner"));
    buttons.cancel->setText(QStringLiteral("Fermer"));
    connect(buttons.confirm, &QToolButton::clicked, this, [this] {
        if (const int row = listView_->selectedLine(); row >= 0 && showAgentAt(row))
            closeList();
    });
    connect(buttons.cancel, &QToolButton::clicked, this, &Salaires::closeList);
    l->addWidget(buttons.row);
    listSide_->addPanel(listPanel_, [this] { closeList(); });
}

void Salaires::buildClosingPanel()
{
    QVBoxLayout* l = nullptr;
    closingPanel_ = payparts::sidePanel(QStringLiteral("Clôturer cette paye"), QStringLiteral("cloture"), side_, &l);
    auto* form = new QFormLayout;
    closingDate_ = kit::textField(closingPanel_, QStringLiteral("date_cloture"), 10);
    closingDate_->setMaximumWidth(110);
    new DateField(closingDate_, s_.ui());
    form->addRow(QStringLiteral("à la date du"), closingDate_);
    l->addLayout(form);
    l->addStretch();
    const kit::PanelButtons buttons = kit::panelButtons(closingPanel_, QStringLiteral("valider_cloture"),
                                                        QStringLiteral("annuler_cloture"));
    connect(buttons.confirm, &QToolButton::clicked, this, &Salaires::confirmClosing);
    connect(buttons.cancel, &QToolButton::clicked, this, &Salaires::closePanel);
    auto* chain = new FieldChain({closingDate_}, closingPanel_);
    connect(chain, &FieldChain::enterOnLast, this, &Salaires::confirmClosing);
    l->addWidget(buttons.row);
    side_->addPanel(closingPanel_, [this] { closePanel(); });
}

void Salaires::openList()
{
    closePanel();
    tabs_->hide();
    listSide_->open(listPanel_);
}

void Salaires::closeList()
{
    listSide_->close();
    tabs_->show();
}

void Salaires::openPanel(QWidget* panel)
{
    closeList();
    advancesBox_->hide();
    side_->open(panel);
}

void Salaires::closePanel()
{
    side_->close();
    advancesBox_->show();
}

// ---- accessors ------------------------------------------------------------------------------------------

bool Salaires::locked() const { return month_ >= 1 && month_ <= 12 && params_.closed[month_ - 1]; }

qint64 Salaires::currentAgent() const { return agentShown_ ? agent_.num : 0; }

QString Salaires::monthHeading() const
{
    return month_ == 0 ? QString() : payroll::monthHeading(month_, year_);
}

QToolButton* Salaires::command(const QString& objectName) const { return findChild<QToolButton*>(objectName); }




// ---- month chooser and month list ------------------------------------------------------------------------

void Salaires::fillChooser()
{
    QList<QStringList> rows;
    for (int m = 1; m <= 12; ++m)
        rows.append({QString::number(m), monthName(m), params_.closed[m - 1] ? QStringLiteral("####") : QStringLiteral("   ")});
    const int selected = chooserView_->selectedLine();
    chooserModel_->setLines(std::move(rows));
    if (selected >= 0)
        chooserView_->selectLine(selected);
}

void Salaires::fillMonthList()
{
    QList<QStringList> rows;
    for (int i = 0; i < lines_.size(); ++i)
        rows.append(lines_[i].cells(i + 1));
    listModel_->setLines(std::move(rows));
    listView_->setEnabled(!lines_.isEmpty());
    if (index_ >= 0)
        listView_->selectLine(index_);
}

void Salaires::openMonth(int month)
{
    if (month < 1 || month > 12)
        return;
    if (!saveCurrent() || !saveObservations())
        return;
    QList<MonthLine> lines;
    PayParams params;
    if (!kit::guarded(s_.ui(), [&] {
            params = readPayParams(s_.db());
            lines = buildMonth(s_.db(), month, params.unitsPerMonth);
        }))
        return; // the engine said why; the month shown stays
    month_ = month;
    params_ = params;
    lines_ = lines;
    index_ = -1;
    agentShown_ = false;
    title_->setText(monthHeading());
    const std::array<QString, 2> period = annualPeriod(month_, year_);
    documents_->setPeriod(period[0], period[1]);
    fillChooser();
    chooserView_->selectLine(month_ - 1);
    closePanel();
    if (lines_.isEmpty()) {
        clearAgent();
        fillMonthList();
        showLockState();
        s_.ui().refuse(QStringLiteral("Aucun Agent dans cette famille"), ui::Icon::Information);
        return;
    }
    index_ = 0;
    fillMonthList();
    loadAgent();
    showLockState();
}

bool Salaires::showAgentAt(int index)
{
    if (month_ == 0 || index < 0 || index >= lines_.size())
        return false;
    if (!saveCurrent() || !saveObservations())
        return false;
    index_ = index;
    loadAgent();
    return true;
}

void Salaires::first() { showAgentAt(0); }
void Salaires::previous() { showAgentAt(index_ - 1); }
void Salaires::next() { showAgentAt(index_ + 1); }
void Salaires::last() { showAgentAt(agentCount() - 1); }

void Salaires::search()
{
    if (month_ == 0) {
        openPanel(chooserPanel_);
        return;
    }
    if (!saveCurrent())
        return;
    // The list shows the pays as saved.
    kit::guarded(s_.ui(), [&] {
        QList<MonthLine> lines = buildMonth(s_.db(), month_, params_.unitsPerMonth);
        if (lines.size() == lines_.size())
            lines_ = lines;
    });
    fillMonthList();
    openList();
    listView_->setFocus();
}

void Salaires::otherMonth()
{
    if (!saveCurrent())
        return;
    openPanel(chooserPanel_);
    chooserView_->setFocus();
}

// ---- one agent --------------------------------------------------------------------------------------------

void Salaires::clearAgent()
{
    agentShown_ = false;
    tabs_->setTabText(0, QStringLiteral("Agent"));
    for (QLineEdit* e : {nom_, prenom_, fonction_})
        e->clear();
    tel_->setText(QString());
    photo_->clear();
    obs_->clear();
    obsLoaded_.clear();
    loadedPay_ = db::Row();
    pay_->clear();
    advanceLines_.clear();
    advances_->clear();
}

bool Salaires::loadAgent()
{
    const qint64 num = lines_[index_].agent.num;
    std::optional<AgentPage> page;
    if (!kit::guarded(s_.ui(), [&] { page = readAgentPage(s_.db(), num, month_, year_); })) {
        clearAgent();
        return false;
    }
    if (!page) {
        clearAgent();
        s_.ui().message(QStringLiteral("Enregistrement introuvable"));
        return false;
    }
    agent_ = page->agent;
    advanceLines_ = page->advances;
    agentShown_ = true;
    flagsClicked_ = false;
    nom_->setText(agent_.nom);
    prenom_->setText(agent_.prenom);
    fonction_->setText(agent_.fonction);
    nom_->setCursorPosition(0);
    prenom_->setCursorPosition(0);
    fonction_->setCursorPosition(0);
    tel_->setText(agent_.tel.trimmed());
    photo_->clear();
    if (!agent_.photo.trimmed().isEmpty()) {
        const QString path = os::resolve(s_.programDir(), QStringLiteral("photos/") + agent_.photo.trimmed() + QStringLiteral(".bmp"));
        QPixmap picture;
        if (QFileInfo(path).isFile() && picture.load(path))
            photo_->setPixmap(picture.scaled(photo_->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    obsLoaded_ = agent_.obs;
    obs_->setPlainText(agent_.obs);
    tabs_->setTabText(0, QStringLiteral("Agent N°  %1 sur %2").arg(index_ + 1).arg(lines_.size()));
    if (listView_)
        listView_->selectLine(index_);
    advances_->showAdvances(advanceLines_);
    showLockState();
    loadedPay_ = page->pay.stored;
    loadPay(page->pay);
    return true;
}

void Salaires::loadPay(const PayRow& pay)
{
    const QList<QLineEdit*> entries = pay_->entryFields();
    for (QLineEdit* e : entries)
        e->clear();
    if (locked()) {
        // A closed month shows its pay as it was stored, what the signature list, the slips and the cash
        // book count: nothing is recomputed with the agent's boxes or the rates of today.
        const PayTexts t = payTexts(pay, pay.avances);
        const PayFigures f = storedFigures(pay);
        pay_->showEntries(t);
        pay_->cnasBox()->setChecked(pay.cnas > 0);
        pay_->irgBox()->setChecked(pay.irg > 0);
        pay_->showFigures(f);
    } else {
        // The advances entry shows the month's advance lines, not the stored amount.
        const PayTexts t = payTexts(pay, advancesTotal(advanceLines_));
        pay_->showEntries(t);
        pay_->cnasBox()->setChecked(agent_.cnasDue);
        pay_->entry(QStringLiteral("CNAS"))->setText(agent_.cnasDue ? entryText(pay.cnas, kEntryPattern) : QString());
        pay_->irgBox()->setChecked(agent_.irgDue);
        pay_->entry(QStringLiteral("IRG"))->setText(agent_.irgDue ? entryText(pay.irg, kEntryPattern) : QString());
        recompute();
    }
    for (QLineEdit* e : entries)
        e->setCursorPosition(0);
}

PayEntries Salaires::entries() const { return pay_->values(); }

void Salaires::recompute()
{
    // Only an open month computes; a closed one keeps showing what it stored.
    if (!agentShown_ || locked())
        return;
    pay_->showFigures(computePay(entries(), params_.tauxCnas));
}

bool Salaires::saveCurrent()
{
    if (!agentShown_ || month_ == 0 || locked())
        return true;
    for (QLineEdit* e : pay_->entryFields())
        if (!checkAmountField(*e, s_.ui()))
            return false;
    recompute();
    PaySave save;
    save.entries = entries();
    save.figures = computePay(save.entries, params_.tauxCnas);
    // The totals computed from the entries are amounts too: none goes beyond the largest one.
    for (double figure : {save.figures.brutValue, save.figures.retenuesValue, save.figures.netValue})
        if (!isWithinAmountLimit(figure)) {
            s_.ui().refuse(kAmountTooLarge);
            return false;
        }
    save.flagsClicked = flagsClicked_;
    save.loaded = loadedPay_;
    SaveResult result = SaveResult::Written;
    // Another desk changed the pay since it was shown: nothing written, the pay shown as it now is.
    if (!kit::guarded(s_.ui(), [&] {
            result = savePay(s_.db(), agent_.num, month_, save);
            if (result == SaveResult::Written)
                if (const std::optional<PayRow> now = readPay(s_.db(), agent_.num, month_))
                    loadedPay_ = now->stored;
        }, [&] { loadAgent(); }))
        return false;
    if (result == SaveResult::Missing)
        s_.ui().message(QStringLiteral("Enregistrement introuvable"));
    if (result == SaveResult::Written) {
        flagsClicked_ = false;
        agent_.cnasDue = save.entries.cnasDue;
        agent_.irgDue = save.entries.irgDue;
    }
    return true;
}

bool Salaires::saveObservations()
{
    if (!agentShown_)
        return true;
    const QString typed = obs_->toPlainText();
    if (typed == obsLoaded_)
        return true;
    if (!kit::guarded(s_.ui(), [&] { payroll::saveObservations(s_.db(), agent_.num, typed); }))
        return false;
    obsLoaded_ = typed;
    return true;
}

void Salaires::dial()
{
    if (!agentShown_)
        return;
    if (agent_.tel.trimmed().isEmpty()) {
        s_.ui().refuse(QStringLiteral("Numéro inconnu"), ui::Icon::Information);
        return;
    }
    kv::dial(agent_.tel, s_.ui());
}

void Salaires::showLockState()
{
    const bool open = month_ != 0 && !locked();
    const bool shown = agentShown_;
    for (QLineEdit* e : pay_->entryFields())
        e->setEnabled(open && shown);
    pay_->cnasBox()->setEnabled(open && shown);
    pay_->irgBox()->setEnabled(open && shown);
    sauvegarder_->setVisible(month_ == 0 || !locked());
    sauvegarder_->setEnabled(open && shown);
    deverrouiller_->setVisible(month_ != 0 && locked());
    for (const QString& name : {QStringLiteral("debut"), QStringLiteral("precedent"), QStringLiteral("suivant"),
                                QStringLiteral("dernier"), QStringLiteral("recherche")})
        bar_->command(name)->setEnabled(shown);
    advances_->showState(month_ != 0, open, shown, !advanceLines_.isEmpty());
}

// ---- closing and reopening ------------------------------------------------------------------------------

void Salaires::sauvegarder()
{
    if (month_ == 0 || locked() || !agentShown_)
        return;
    if (!saveCurrent())
        return;
    closingDate_->setText(kit::defaultDayText(s_));
    openPanel(closingPanel_);
    closingDate_->setFocus();
    closingDate_->selectAll();
}

void Salaires::confirmClosing()
{
    if (month_ == 0 || locked())
        return;
    if (!checkDateField(*closingDate_, s_.ui()) || !kit::confirmExerciseDate(*closingDate_, s_))
        return;
    if (!saveCurrent())
        return;
    if (!kit::guarded(s_.ui(), [&] { closeMonth(s_.db(), month_, closingDate_->text().trimmed(), year_); }))
        return; // the month stays open, the panel too
    kit::guarded(s_.ui(), [&] { params_ = readPayParams(s_.db()); });
    params_.closed[month_ - 1] = true;
    fillChooser();
    closePanel();
    // The page shows the pay as the closing stored it (what was typed in the observations is kept first).
    if (agentShown_ && saveObservations())
        loadAgent();
    showLockState();
    s_.ui().message(QStringLiteral("Paye verrouillée"), ui::Icon::Information, kZeb);
}

void Salaires::deverrouiller()
{
    if (month_ == 0 || !locked())
        return;
    if (!s_.ui().ask(QStringLiteral("Confirmer correction sur paye\n") + monthHeading(), ui::Icon::Question, kZeb))
        return;
    if (!kit::guarded(s_.ui(), [&] { reopenMonth(s_.db(), month_); }))
        return;
    // An open month computes again: the page shows the pay with the agent's boxes and today's rates.
    kit::guarded(s_.ui(), [&] { params_ = readPayParams(s_.db()); });
    params_.closed[month_ - 1] = false;
    fillChooser();
    if (agentShown_ && saveObservations())
        loadAgent();
    showLockState();
    s_.ui().message(QStringLiteral("Paye déverrouillée"), ui::Icon::Information, kZeb);
}

// ---- advances ------------------------------------------------------------------------------------------

void Salaires::newAdvance()
{
    if (!agentShown_ || locked())
        return;
    // What was typed is saved first: the pay is read again after the booking.
    if (!saveCurrent())
        return;
    fund::Codes codes{ledger::Book::Depenses, agent_.num, schema::contrepartie::Client, schema::heading::AvanceSalaire};
    fund::Options options;
    options.parent = this;
    const int month = month_, year = year_;
    options.accept = [this, month, year](const Echange& block) {
        if (advanceDateMatches(block.get(7), month, year))
            return true;
        s_.ui().refuse(QStringLiteral("Date non concordante"));
        return false;
    };
    if (fund::enterNew(s_, codes, options).written())
        loadAgent();
}

void Salaires::changeAdvance()
{
    if (!agentShown_ || locked())
        return;
    const int row = advances_->selectedLine();
    if (row < 0 || row >= advanceLines_.size())
        return;
    if (!saveCurrent())
        return;
    fund::Codes codes{ledger::Book::Depenses, agent_.num, schema::contrepartie::Client, schema::heading::AvanceSalaire};
    fund::Options options;
    options.parent = this;
    const fund::Outcome outcome = fund::enterChange(s_, codes, advanceLines_[row].num, options);
    if (outcome.status == fund::Status::Written || outcome.status == fund::Status::Missing)
        loadAgent();
}

void Salaires::deleteAdvance()
{
    if (!agentShown_ || locked())
        return;
    const int row = advances_->selectedLine();
    if (row < 0 || row >= advanceLines_.size())
        return;
    if (!s_.ui().askDefaultNo(QStringLiteral("Confirmer suppression de la ligne N° ") + QString::number(row + 1),
                     ui::Icon::Question, QStringLiteral("Confirmation")))
        return;
    if (!saveCurrent())
        return;
    bool deleted = false;
    if (!kit::guarded(s_.ui(), [&] {
            deleted = ledger::remove(s_.db(), ledger::Book::Depenses, advanceLines_[row].num, agent_.num, schema::contrepartie::Client,
                                     advanceLines_[row].montant);
        }, [&] { loadAgent(); }))
        return;
    if (!deleted)
        s_.ui().refuse(QStringLiteral("Mouvement altéré"), ui::Icon::Information);
    loadAgent();
}

// ---- documents --------------------------------------------------------------------------------------------

PaySlipSheet Salaires::sheet() const
{
    PaySlipSheet p;
    p.nom = nom_->text();
    p.prenom = prenom_->text();
    p.fonction = fonction_->text();
    p.moisDe = monthHeading();
    pay_->fillSheet(p);
    return p;
}

void Salaires::setDocumentMode(bool on)
{
    tabs_->setEnabled(!on);
    bar_->setCommandsEnabled(!on);
    if (on)
        advances_->disableCommands();
    else
        showLockState();
}

void Salaires::imprimer() { documents_->imprimer(); }

std::optional<qint64> Salaires::shownAgent() const { return agentShown_ ? std::optional<qint64>(agent_.num) : std::nullopt; }

void Salaires::openDocumentPanel(QWidget* panel)
{
    setDocumentMode(true);
    openPanel(panel);
}

void Salaires::closeDocumentPanel(QWidget* panel)
{
    if (side_->panel() == panel)
        closePanel();
    setDocumentMode(false);
}

bool Salaires::isPanelOpen(const QWidget* panel) const { return side_->panel() == panel; }

// ---- leaving ------------------------------------------------------------------------------------------

bool Salaires::saveAll()
{
    if (!saveObservations() || !saveCurrent())
        return false;
    s_.signature1 = documents_->signatoryField(QStringLiteral("Nom"))->text().trimmed();
    s_.signature2 = documents_->signatoryField(QStringLiteral("Qualité"))->text().trimmed();
    return true;
}

void Salaires::quit()
{
    if (saveAll())
        accept();
}

void Salaires::reject()
{
    // The window's close button and Escape (with no panel open) leave without saving; when something was
    // typed, the user is asked first whether to save it.
    if (kit::mayLeave(s_.ui(), typed_ && typed_->modified(), [this] { return saveAll(); }))
        QDialog::reject();
}

bool Salaires::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving an entry of the pay recomputes it.
    if (event->type() == QEvent::FocusOut && qobject_cast<QLineEdit*>(watched))
        recompute();
    return QDialog::eventFilter(watched, event);
}

} // namespace kv
