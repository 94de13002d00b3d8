#include "Salaires.h"

#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/formats/Names.h"
#include "core/formats/Numbers.h"
#include "core/formats/Telephone.h"
#include "core/kit/Colours.h"
#include "core/kit/Guard.h"
#include "core/ledger/Ledger.h"
#include "core/kit/ExerciseDate.h"
#include "core/kit/ScreenKit.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "payroll/documents/FPaye.h"
#include "core/kit/GridModel.h"
#include "people/accounts/FundMovement.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "platform/os/Files.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
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

QString today() { return QDate::currentDate().toString(db::kShownDateFormat); }

QString monthName(int month) { return dayMonthNames().frenchMonths[month - 1].trimmed(); }


QLineEdit* textField(QWidget* parent, const QString& name, int maxLength = 40)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    return e;
}

QLineEdit* shownField(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

/// A panel of the side: its heading, then its content.
QWidget* sidePanel(const QString& heading, const QString& name, QWidget* parent, QVBoxLayout** layout)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(6, 0, 0, 0);
    l->addWidget(kit::panelHeading(heading, panel));
    *layout = l;
    return panel;
}

/// The caption of a total, in the totals' colour.
QLabel* totalLabel(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setStyleSheet(kit::headingStyle());
    return label;
}

/// The "Imprimer" and "Fermer" commands of a document panel.
kit::PanelButtons printPanelButtons(QWidget* panel, const QString& printName, const QString& closeName)
{
    const kit::PanelButtons buttons = kit::panelButtons(panel, printName, closeName);
    buttons.confirm->setText(QStringLiteral("Imprimer"));
    buttons.confirm->setIcon(kit::icon(Glyph::Print));
    buttons.cancel->setText(QStringLiteral("Fermer"));
    return buttons;
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
    buildCertificatePanel();
    buildStatementPanel();

    auto* body = new QHBoxLayout;
    body->addWidget(tabs_, 1);
    body->addWidget(listSide_, 1);
    body->addWidget(buildAdvances());
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
    typed_->track(sigNom_->parentWidget());

    // The screen opens on the month chooser, on the current month.
    openPanel(chooserPanel_);
    chooserView_->selectLine(QDate::currentDate().month() - 1);
}

QLineEdit* Salaires::amountEntry(QWidget* parent, const QString& caption, const QString& name)
{
    QLineEdit* e = textField(parent, name, 14);
    new DecimalField(e);
    new SelectOnFocus(e);
    e->setAlignment(Qt::AlignRight);
    e->setFont(kit::amountFont());
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("888 888.88 ")) + 12);
    e->installEventFilter(this);
    entries_.append({caption, e});
    return e;
}

QWidget* Salaires::buildAgentPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("agent"));
    auto* l = new QVBoxLayout(page);
    l->setSpacing(6);

    // Identity: photo, name, first name, function, telephone, family situation; observations below.
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
    celibataire_ = new QRadioButton(QStringLiteral("Célibataire"), page);
    celibataire_->setObjectName(QStringLiteral("celibataire"));
    marie_ = new QRadioButton(QStringLiteral("Marié"), page);
    marie_->setObjectName(QStringLiteral("marie"));
    celibataire_->setChecked(true);
    enfants_ = new QSpinBox(page);
    enfants_->setObjectName(QStringLiteral("enfants"));
    enfants_->setRange(0, 20);
    auto* family = new QHBoxLayout;
    family->addWidget(celibataire_);
    family->addWidget(marie_);
    family->addSpacing(8);
    family->addWidget(new QLabel(QStringLiteral("Enfants"), page));
    family->addWidget(enfants_);
    family->addStretch();
    form->addLayout(family, 4, 1, 1, 3);
    form->setColumnStretch(1, 1);
    identity->addLayout(form, 1);
    l->addLayout(identity);
    for (QRadioButton* r : {celibataire_, marie_})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                recompute();
        });
    connect(enfants_, &QSpinBox::valueChanged, this, [this] { recompute(); });

    obs_ = new QPlainTextEdit(page);
    obs_->setObjectName(QStringLiteral("observations"));
    obs_->setPlaceholderText(QStringLiteral("Observations"));
    obs_->setMinimumHeight(obs_->fontMetrics().lineSpacing() * 3 + 12);
    l->addWidget(obs_, 1);

    // The pay: elements subject to deductions and not, deductions, totals.
    auto* pay = new QGroupBox(QStringLiteral("Paye"), page);
    pay->setObjectName(QStringLiteral("paye"));
    auto* grid = new QGridLayout(pay);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    const auto row = [&](int r, int c, const QString& caption, QLineEdit* e, QWidget* lead = nullptr) {
        grid->addWidget(lead ? lead : new QLabel(caption, pay), r, c * 2);
        grid->addWidget(e, r, c * 2 + 1);
    };
    tauxJour_ = amountEntry(pay, QStringLiteral("Taux Journalier"), QStringLiteral("taux_jour"));
    nbreJours_ = amountEntry(pay, QStringLiteral("Nbre de Jours"), QStringLiteral("nbre_jours"));
    hSuppl_ = amountEntry(pay, QStringLiteral("Heures Supp."), QStringLiteral("h_suppl"));
    indS_ = amountEntry(pay, QStringLiteral("Ind. Soumise"), QStringLiteral("ind_s"));
    panier_ = amountEntry(pay, QStringLiteral("Panier"), QStringLiteral("panier"));
    autreInd_ = amountEntry(pay, QStringLiteral("Autres Ind"), QStringLiteral("autre_ind"));
    cnas_ = amountEntry(pay, QStringLiteral("CNAS"), QStringLiteral("cnas"));
    irg_ = amountEntry(pay, QStringLiteral("IRG"), QStringLiteral("irg"));
    avances_ = amountEntry(pay, QStringLiteral("Remb Avances"), QStringLiteral("avances"));
    rembPrets_ = amountEntry(pay, QStringLiteral("Remb Prêts"), QStringLiteral("remb_prets"));
    autresRetenues_ = amountEntry(pay, QStringLiteral("Autres Retenues"), QStringLiteral("autres_retenues"));
    cnasBox_ = new QCheckBox(QStringLiteral("CNAS"), pay);
    cnasBox_->setObjectName(QStringLiteral("case_cnas"));
    irgBox_ = new QCheckBox(QStringLiteral("IRG"), pay);
    irgBox_->setObjectName(QStringLiteral("case_irg"));
    for (QCheckBox* box : {cnasBox_, irgBox_})
        connect(box, &QCheckBox::clicked, this, [this] {
            flagsClicked_ = true;
            recompute();
        });

    grid->addWidget(kit::panelHeading(QStringLiteral("Gains"), pay), 0, 0, 1, 2);
    grid->addWidget(kit::panelHeading(QStringLiteral("Retenues"), pay), 0, 2, 1, 2);
    row(1, 0, QStringLiteral("Taux Journalier"), tauxJour_);
    row(2, 0, QStringLiteral("Nbre de Jours"), nbreJours_);
    row(3, 0, QStringLiteral("Heures Supp."), hSuppl_);
    row(4, 0, QStringLiteral("Ind. Soumise"), indS_);
    row(5, 0, QStringLiteral("Panier"), panier_);
    row(6, 0, QStringLiteral("Autres Ind"), autreInd_);
    row(1, 1, QString(), cnas_, cnasBox_);
    row(2, 1, QString(), irg_, irgBox_);
    row(3, 1, QStringLiteral("Remb Avances"), avances_);
    row(4, 1, QStringLiteral("Remb Prêts"), rembPrets_);
    row(5, 1, QStringLiteral("Autres Retenues"), autresRetenues_);

    // Totals, below the entries.
    const auto totalRow = [&](int r, int c, const QString& caption, const QString& name) {
        QLineEdit* t = kit::totalField(pay, name);
        grid->addWidget(totalLabel(caption, pay), r, c * 2);
        grid->addWidget(t, r, c * 2 + 1);
        totals_.append({caption, t});
        return t;
    };
    auto* rule = new QFrame(pay);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule, 7, 0, 1, 4);
    base_ = totalRow(8, 0, QStringLiteral("Salaire de Base"), QStringLiteral("salaire_base"));
    poste_ = totalRow(9, 0, QStringLiteral("Salaire de poste"), QStringLiteral("salaire_poste"));
    brut_ = totalRow(10, 0, QStringLiteral("Salaire BRUT"), QStringLiteral("salaire_brut"));
    retenues_ = totalRow(8, 1, QStringLiteral("T. des Retenues"), QStringLiteral("total_retenues"));
    net_ = totalRow(10, 1, QStringLiteral("NET A PAYER"), QStringLiteral("net_a_payer"));
    QFont netFont = net_->font();
    netFont.setPointSizeF(netFont.pointSizeF() * 1.15);
    net_->setFont(netFont);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    l->addWidget(pay);

    // Enter and the arrows walk the entries in the pay's order.
    auto* chain = new FieldChain(
        {tauxJour_, nbreJours_, hSuppl_, indS_, panier_, autreInd_, cnas_, irg_, avances_}, this);
    Q_UNUSED(chain);
    return page;
}

QWidget* Salaires::buildAdvances()
{
    advancesBox_ = new QWidget(this);
    advancesBox_->setObjectName(QStringLiteral("avances_panneau"));
    auto* l = new QVBoxLayout(advancesBox_);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(6);

    auto* box = new QGroupBox(QStringLiteral("Mouvements de Fonds"), advancesBox_);
    box->setObjectName(QStringLiteral("mouvements"));
    auto* bl = new QVBoxLayout(box);
    bl->setContentsMargins(6, 6, 6, 6);
    auto* bar = new kit::CommandBar(box);
    bar->setObjectName(QStringLiteral("barre_avances"));
    advNew_ = bar->add(Command::New, QStringLiteral("nouveau"), this, &Salaires::newAdvance);
    advChange_ = bar->add(Command::Edit, QStringLiteral("modifier"), this, &Salaires::changeAdvance);
    advDelete_ = bar->add(Command::Delete, QStringLiteral("supprimer"), this, &Salaires::deleteAdvance);
    advPrint_ = bar->add(Command::Print, QStringLiteral("imprimer"), this, &Salaires::imprimer);
    bar->addStretch();
    bar->setMinimumHeight(bar->sizeHint().height());
    bl->addWidget(bar);

    advancesModel_ = new GridModel({Qt::AlignHCenter, Qt::AlignRight, Qt::AlignLeft, Qt::AlignLeft}, box);
    advancesModel_->setCaptions({QStringLiteral("Date"), QStringLiteral("Montant"), QStringLiteral("Mode"),
                                 QStringLiteral("Objet")});
    advancesModel_->setAmountColumn(1);
    advancesView_ = new GridView(advancesModel_, 3, box);
    advancesView_->setObjectName(QStringLiteral("grille_avances"));
    connect(advancesView_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.row() < advancesModel_->lineCount() && !locked()) {
            advancesView_->selectLine(index.row());
            changeAdvance();
        }
    });
    bl->addWidget(advancesView_, 1);
    advancesTotal_ = kit::totalField(box, QStringLiteral("total_avances"));
    auto* totalRow = new QHBoxLayout;
    totalRow->addStretch();
    totalRow->addWidget(new QLabel(QStringLiteral("Total"), box));
    totalRow->addWidget(advancesTotal_);
    bl->addLayout(totalRow);
    l->addWidget(box, 1);

    // The print options and the signatory of the pay documents.
    auto* print = new QGroupBox(QStringLiteral("Impression"), advancesBox_);
    print->setObjectName(QStringLiteral("impression"));
    auto* pl = new QGridLayout(print);
    pl->setVerticalSpacing(2);
    printGroup_ = new QButtonGroup(this);
    const QStringList options = {QStringLiteral("Etat d'émargement"), QStringLiteral("Bulletins  de Paye"),
                                 QStringLiteral("Att. de Travail"), QStringLiteral("Fiche de Paye"),
                                 QStringLiteral("Relevé Annuel")};
    for (int i = 0; i < options.size(); ++i) {
        auto* r = new QRadioButton(options[i], print);
        r->setObjectName(QStringLiteral("option_%1").arg(i));
        printGroup_->addButton(r, i);
        printOptions_ << r;
        pl->addWidget(r, i % 3, i / 3);
    }
    connect(printOptions_[Releve], &QRadioButton::toggled, this, [this](bool on) {
        if (on && side_->panel() != statementPanel_)
            imprimer();
    });
    l->addWidget(print);

    auto* sign = new QGroupBox(QStringLiteral("Signé par ..."), advancesBox_);
    sign->setObjectName(QStringLiteral("signataire"));
    auto* sl = new QFormLayout(sign);
    sl->setVerticalSpacing(3);
    sigNom_ = textField(sign, QStringLiteral("signe_nom"));
    sigQualite_ = textField(sign, QStringLiteral("signe_qualite"));
    sigDate_ = textField(sign, QStringLiteral("signe_date"), 10);
    new DateField(sigDate_, s_.ui());
    sigDate_->setMaximumWidth(110);
    sigNom_->setText(s_.signature1.trimmed());
    sigQualite_->setText(s_.signature2.trimmed());
    sigDate_->setText(today());
    sl->addRow(QStringLiteral("Nom"), sigNom_);
    sl->addRow(QStringLiteral("Qualité"), sigQualite_);
    sl->addRow(QStringLiteral("Date"), sigDate_);
    l->addWidget(sign);

    advancesBox_->setFixedWidth(kSideWidth);
    return advancesBox_;
}

void Salaires::buildChooserPanel()
{
    QVBoxLayout* l = nullptr;
    chooserPanel_ = sidePanel(QStringLiteral("Mois de ..."), QStringLiteral("choix_mois"), side_, &l);
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
    listPanel_ = sidePanel(QStringLiteral("Agents du mois"), QStringLiteral("liste_mois"), listSide_, &l);
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
    closingPanel_ = sidePanel(QStringLiteral("Clôturer cette paye"), QStringLiteral("cloture"), side_, &l);
    auto* form = new QFormLayout;
    closingDate_ = textField(closingPanel_, QStringLiteral("date_cloture"), 10);
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

void Salaires::buildCertificatePanel()
{
    QVBoxLayout* l = nullptr;
    certificatePanel_ = sidePanel(QStringLiteral("Attestation de Travail"), QStringLiteral("attestation"), side_, &l);
    auto* form = new QFormLayout;
    const auto field = [&](const QString& caption, const QString& key, const QString& name, bool date) {
        QLineEdit* e = textField(certificatePanel_, name, date ? 10 : 40);
        if (date) {
            new DateField(e, s_.ui());
            e->setMaximumWidth(110);
        }
        certificate_.insert(key, e);
        form->addRow(caption, e);
    };
    field(QStringLiteral("Attestation N°"), QStringLiteral("Attestation N°"), QStringLiteral("att_numero"), false);
    field(QStringLiteral("Né(e) le"), QStringLiteral("Né(e) le"), QStringLiteral("att_ne_le"), true);
    field(QString(), QStringLiteral("Libre"), QStringLiteral("att_libre"), false);
    field(QStringLiteral("En fonction Du"), QStringLiteral("En fonction Du"), QStringLiteral("att_debut"), true);
    field(QStringLiteral("Au"), QStringLiteral("Au"), QStringLiteral("att_fin"), false);
    l->addLayout(form);
    l->addStretch();
    const kit::PanelButtons buttons = printPanelButtons(certificatePanel_, QStringLiteral("imprimer_attestation"),
                                                        QStringLiteral("fermer_attestation"));
    connect(buttons.confirm, &QToolButton::clicked, this, &Salaires::printCertificate);
    connect(buttons.cancel, &QToolButton::clicked, this, &Salaires::closeCertificate);
    l->addWidget(buttons.row);
    side_->addPanel(certificatePanel_, [this] { closeCertificate(); });
}

void Salaires::buildStatementPanel()
{
    QVBoxLayout* l = nullptr;
    statementPanel_ = sidePanel(QStringLiteral("Relevé annuel des émoluments"), QStringLiteral("releve"), side_, &l);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    int r = 0;
    auto* period = new QHBoxLayout;
    for (const QString& key : {QStringLiteral("Du"), QStringLiteral("Au")}) {
        QLineEdit* e = textField(statementPanel_, QStringLiteral("releve_") + key.toLower(), 10);
        new DateField(e, s_.ui());
        e->setMaximumWidth(110);
        statement_.insert(key, e);
        period->addWidget(new QLabel(key, statementPanel_));
        period->addSpacing(4);
        period->addWidget(e);
        period->addSpacing(12);
    }
    period->addStretch();
    grid->addLayout(period, r++, 0, 1, 2);
    const QStringList captions = {QString(), QString(), QStringLiteral("Heures Supp."), QStringLiteral("Autres Ind. Soumises"),
                                  QStringLiteral("CNAS"), QStringLiteral("IRG"), QStringLiteral("Autres retenues"),
                                  QStringLiteral("Ind. non Soumises")};
    for (int i = 0; i < 8; ++i) {
        const QString key = QStringLiteral("C%1").arg(i + 2);
        QLineEdit* amount = textField(statementPanel_, QStringLiteral("releve_c%1").arg(i + 2), 14);
        new DecimalField(amount);
        new SelectOnFocus(amount);
        amount->setAlignment(Qt::AlignRight);
        amount->setFont(kit::amountFont());
        amount->installEventFilter(this);
        statement_.insert(key, amount);
        if (i < 2) {
            QLineEdit* caption = textField(statementPanel_, QStringLiteral("releve_libelle%1").arg(i + 2), 30);
            caption->setText(i == 0 ? QStringLiteral(" Salaire de base") : QStringLiteral(" Ind. Complémentaire"));
            statement_.insert(QStringLiteral("Caption%1").arg(i + 2), caption);
            grid->addWidget(caption, r, 0);
        } else {
            grid->addWidget(new QLabel(captions[i], statementPanel_), r, 0);
        }
        grid->addWidget(amount, r++, 1);
        if (i == 1 || i == 3 || i == 6) {
            // The totals follow their amounts.
            const QString total = i == 1 ? QStringLiteral("Salaire de poste")
                : i == 3                 ? QStringLiteral("Salaire annuel")
                                         : QStringLiteral("Total des retenues");
            QLineEdit* t = kit::totalField(statementPanel_, QStringLiteral("releve_total%1").arg(i));
            statement_.insert(total, t);
            grid->addWidget(totalLabel(total, statementPanel_), r, 0);
            grid->addWidget(t, r++, 1);
        }
    }
    QLineEdit* net = kit::totalField(statementPanel_, QStringLiteral("releve_net"));
    statement_.insert(QStringLiteral("Net"), net);
    grid->addWidget(totalLabel(QStringLiteral("Net"), statementPanel_), r, 0);
    grid->addWidget(net, r++, 1);
    grid->setColumnStretch(0, 1);
    l->addLayout(grid);
    l->addStretch();
    const kit::PanelButtons buttons = printPanelButtons(statementPanel_, QStringLiteral("imprimer_releve"),
                                                        QStringLiteral("fermer_releve"));
    connect(buttons.confirm, &QToolButton::clicked, this, &Salaires::printStatement);
    connect(buttons.cancel, &QToolButton::clicked, this, &Salaires::closeStatement);
    l->addWidget(buttons.row);
    side_->addPanel(statementPanel_, [this] { closeStatement(); });
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

QLineEdit* Salaires::entry(const QString& caption) const
{
    for (const auto& [c, e] : entries_)
        if (c == caption)
            return e;
    return nullptr;
}

QLineEdit* Salaires::total(const QString& caption) const
{
    for (const auto& [c, e] : totals_)
        if (c == caption)
            return e;
    return nullptr;
}

QToolButton* Salaires::command(const QString& objectName) const { return findChild<QToolButton*>(objectName); }

QRadioButton* Salaires::printOption(PrintOption option) const { return printOptions_.value(option); }

QLineEdit* Salaires::signatoryField(const QString& caption) const
{
    if (caption == QStringLiteral("Nom"))
        return sigNom_;
    if (caption == QStringLiteral("Qualité"))
        return sigQualite_;
    return caption == QStringLiteral("Date") ? sigDate_ : nullptr;
}

QLineEdit* Salaires::certificateField(const QString& caption) const { return certificate_.value(caption); }

QLineEdit* Salaires::statementField(const QString& name) const { return statement_.value(name); }

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
    statement_.value(QStringLiteral("Du"))->setText(period[0]);
    statement_.value(QStringLiteral("Au"))->setText(period[1]);
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
    for (const auto& [c, e] : entries_)
        e->clear();
    for (const auto& [c, e] : totals_)
        e->clear();
    cnasBox_->setChecked(false);
    irgBox_->setChecked(false);
    advances_.clear();
    advancesModel_->setLines({});
    advancesTotal_->clear();
}

bool Salaires::loadAgent()
{
    const qint64 num = lines_[index_].agent.num;
    std::optional<PayRow> pay;
    db::Row row;
    if (!kit::guarded(s_.ui(), [&] {
            row = s_.db().queryOne(QStringLiteral("SELECT * FROM Agents WHERE num = ?"), {num});
            pay = readPay(s_.db(), num, month_);
            advances_ = readAdvances(s_.db(), num, month_, year_);
        })) {
        clearAgent();
        return false;
    }
    if (row.size() == 0 || !pay) {
        clearAgent();
        s_.ui().message(QStringLiteral("Enregistrement introuvable"));
        return false;
    }
    agent_ = payAgent(row);
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
    loadAdvances();
    loadPay(*pay);
    return true;
}

void Salaires::loadAdvances()
{
    QList<QStringList> rows;
    for (const Advance& a : advances_)
        rows.append(a.cells());
    advancesModel_->setLines(std::move(rows));
    advancesTotal_->setText(advancesTotalText(advancesTotal(advances_)));
    if (!advances_.isEmpty())
        advancesView_->selectLine(0);
    showLockState();
}

void Salaires::loadPay(const PayRow& pay)
{
    for (const auto& [c, e] : entries_)
        e->clear();
    if (locked()) {
        // A closed month shows its pay as it was stored, what the signature list, the slips and the cash
        // book count: nothing is recomputed with the agent's boxes or the rates of today.
        const PayTexts t = payTexts(pay, pay.avances);
        const PayFigures f = storedFigures(pay);
        showEntries(t);
        cnasBox_->setChecked(pay.cnas > 0);
        irgBox_->setChecked(pay.irg > 0);
        showFigures(f);
    } else {
        // The advances entry shows the month's advance lines, not the stored amount.
        const PayTexts t = payTexts(pay, advancesTotal(advances_));
        showEntries(t);
        cnasBox_->setChecked(agent_.cnasDue);
        cnas_->setText(agent_.cnasDue ? entryText(pay.cnas, kEntryPattern) : QString());
        irgBox_->setChecked(agent_.irgDue);
        irg_->setText(agent_.irgDue ? entryText(pay.irg, kEntryPattern) : QString());
        recompute();
    }
    for (const auto& [c, e] : entries_)
        e->setCursorPosition(0);
}

PayTexts Salaires::texts() const
{
    return {tauxJour_->text(), nbreJours_->text(), hSuppl_->text(), indS_->text(), panier_->text(), autreInd_->text(),
            avances_->text(), rembPrets_->text(), autresRetenues_->text()};
}

PayEntries Salaires::entries() const
{
    return readEntries(texts(), cnasBox_->isChecked(), irgBox_->isChecked(),
                       situationOf(celibataire_->isChecked(), enfants_->value()));
}

void Salaires::recompute()
{
    // Only an open month computes; a closed one keeps showing what it stored.
    if (!agentShown_ || locked())
        return;
    showFigures(computePay(entries(), params_.tauxCnas));
}

void Salaires::showEntries(const payroll::PayTexts& t)
{
    tauxJour_->setText(t.tauxJour);
    nbreJours_->setText(t.nbreJours);
    hSuppl_->setText(t.hSuppl);
    indS_->setText(t.indS);
    panier_->setText(t.panier);
    autreInd_->setText(t.autreInd);
    avances_->setText(t.avances);
    rembPrets_->setText(t.rembPrets);
    autresRetenues_->setText(t.autresRetenues);
}

void Salaires::showFigures(const PayFigures& f)
{
    cnas_->setText(f.cnas);
    irg_->setText(f.irg);
    base_->setText(f.salaireBase);
    poste_->setText(f.salairePoste);
    brut_->setText(f.brut);
    retenues_->setText(f.retenues);
    net_->setText(f.net);
}

bool Salaires::saveCurrent()
{
    if (!agentShown_ || month_ == 0 || locked())
        return true;
    for (const auto& [c, e] : entries_)
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
    SaveResult result = SaveResult::Written;
    if (!kit::guarded(s_.ui(), [&] { result = savePay(s_.db(), agent_.num, month_, save); }))
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
    for (const auto& [c, e] : entries_)
        e->setEnabled(open && shown);
    cnasBox_->setEnabled(open && shown);
    irgBox_->setEnabled(open && shown);
    sauvegarder_->setVisible(month_ == 0 || !locked());
    sauvegarder_->setEnabled(open && shown);
    deverrouiller_->setVisible(month_ != 0 && locked());
    for (const QString& name : {QStringLiteral("debut"), QStringLiteral("precedent"), QStringLiteral("suivant"),
                                QStringLiteral("dernier"), QStringLiteral("recherche")})
        bar_->command(name)->setEnabled(shown);
    // The advances are typed while the month is open; the documents printed once it is closed.
    const bool lines = !advances_.isEmpty();
    advNew_->setVisible(open);
    advChange_->setVisible(open);
    advDelete_->setVisible(open);
    advNew_->setEnabled(open && shown);
    advChange_->setEnabled(open && shown && lines);
    advDelete_->setEnabled(open && shown && lines);
    advancesView_->setEnabled(open && shown && lines);
    advPrint_->setVisible(month_ != 0 && locked());
    advPrint_->setEnabled(shown);
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
    const int row = advancesView_->selectedLine();
    if (row < 0 || row >= advances_.size())
        return;
    if (!saveCurrent())
        return;
    fund::Codes codes{ledger::Book::Depenses, agent_.num, schema::contrepartie::Client, schema::heading::AvanceSalaire};
    fund::Options options;
    options.parent = this;
    const fund::Outcome outcome = fund::enterChange(s_, codes, advances_[row].num, options);
    if (outcome.status == fund::Status::Written || outcome.status == fund::Status::Missing)
        loadAgent();
}

void Salaires::deleteAdvance()
{
    if (!agentShown_ || locked())
        return;
    const int row = advancesView_->selectedLine();
    if (row < 0 || row >= advances_.size())
        return;
    if (!s_.ui().askDefaultNo(QStringLiteral("Confirmer suppression de la ligne N° ") + QString::number(row + 1),
                     ui::Icon::Question, QStringLiteral("Confirmation")))
        return;
    if (!saveCurrent())
        return;
    bool deleted = false;
    if (!kit::guarded(s_.ui(), [&] {
            deleted = ledger::remove(s_.db(), ledger::Book::Depenses, advances_[row].num, agent_.num, schema::contrepartie::Client);
        }))
        return;
    if (!deleted)
        s_.ui().refuse(QStringLiteral("Mouvement altéré"), ui::Icon::Information);
    loadAgent();
}

// ---- documents --------------------------------------------------------------------------------------------

Signatory Salaires::signatory() const
{
    return {sigDate_->text().trimmed(), sigNom_->text().trimmed(), sigQualite_->text().trimmed()};
}

PaySlipSheet Salaires::sheet() const
{
    PaySlipSheet p;
    p.nom = nom_->text();
    p.prenom = prenom_->text();
    p.fonction = fonction_->text();
    p.moisDe = monthHeading();
    p.tauxJour = tauxJour_->text();
    p.nbreJours = nbreJours_->text();
    p.hSuppl = hSuppl_->text();
    p.indS = indS_->text();
    p.panier = panier_->text();
    p.autreInd = autreInd_->text();
    p.cnas = cnas_->text();
    p.irg = irg_->text();
    p.avances = avances_->text();
    p.rembPrets = rembPrets_->text();
    p.autresRetenues = autresRetenues_->text();
    p.salaireBase = base_->text();
    p.salairePoste = poste_->text();
    p.brut = brut_->text();
    p.retenues = retenues_->text();
    p.net = net_->text();
    p.celibataire = celibataire_->isChecked();
    p.enfants = enfants_->value();
    p.cnasDue = cnasBox_->isChecked();
    p.irgDue = irgBox_->isChecked();
    return p;
}

void Salaires::setDocumentMode(bool on)
{
    tabs_->setEnabled(!on);
    bar_->setCommandsEnabled(!on);
    for (QToolButton* b : {advNew_, advChange_, advDelete_, advPrint_})
        b->setEnabled(!on);
    if (!on)
        showLockState();
}

void Salaires::imprimer()
{
    if (month_ == 0 || !agentShown_)
        return;
    const int option = printGroup_->checkedId();
    if (option < 0)
        return;
    if (!saveCurrent())
        return;
    switch (option) {
    case Emargement:
        printSignatureList(s_, month_);
        break;
    case Bulletins:
        printPaySlips(s_, month_);
        break;
    case Attestation: {
        WorkCertificate c;
        if (!kit::guarded(s_.ui(), [&] { c = workCertificateFor(s_, agent_.num); }))
            return;
        certificate_.value(QStringLiteral("Attestation N°"))->setText(c.numero);
        certificate_.value(QStringLiteral("Né(e) le"))->setText(c.neLe);
        certificate_.value(QStringLiteral("Libre"))->setText(c.libre);
        certificate_.value(QStringLiteral("En fonction Du"))->setText(c.debut);
        certificate_.value(QStringLiteral("Au"))->setText(c.fin);
        setDocumentMode(true);
        openPanel(certificatePanel_);
        certificate_.value(QStringLiteral("Attestation N°"))->setFocus();
        break;
    }
    case FichePaye: {
        FPaye slip(s_, sheet(), signatory(), this);
        s_.ui().showModal(slip);
        break;
    }
    case Releve:
        fillStatementEstimates();
        setDocumentMode(true);
        openPanel(statementPanel_);
        statement_.value(QStringLiteral("C2"))->setFocus();
        break;
    }
}

void Salaires::printCertificate()
{
    if (!agentShown_)
        return;
    WorkCertificate c;
    c.numero = certificate_.value(QStringLiteral("Attestation N°"))->text();
    c.neLe = certificate_.value(QStringLiteral("Né(e) le"))->text();
    c.libre = certificate_.value(QStringLiteral("Libre"))->text();
    c.debut = certificate_.value(QStringLiteral("En fonction Du"))->text();
    c.fin = certificate_.value(QStringLiteral("Au"))->text();
    printWorkCertificate(s_, agent_.num, c, signatory());
}

void Salaires::closeCertificate()
{
    if (side_->panel() == certificatePanel_)
        closePanel();
    setDocumentMode(false);
}

void Salaires::fillStatementEstimates()
{
    // Estimates from the current pay; CNAS and IRG whatever the boxes say.
    PayEntries e = entries();
    e.cnasDue = true;
    e.irgDue = true;
    const PayFigures f = computePay(e, params_.tauxCnas);
    const auto estimate = [](double value) { return value > 0 ? formatNumber(value, u"######.00") : QString(); };
    statement_.value(QStringLiteral("C2"))->setText(estimate(e.tauxJour * e.nbreJours * 12));
    statement_.value(QStringLiteral("C4"))->setText(estimate(e.hSuppl * 12));
    statement_.value(QStringLiteral("C5"))->setText(estimate(e.indS * 12));
    statement_.value(QStringLiteral("C6"))->setText(estimate(f.cnasValue * 12));
    statement_.value(QStringLiteral("C7"))->setText(estimate(f.irgValue * 12));
    recomputeStatement();
}

void Salaires::recomputeStatement()
{
    std::array<double, 8> amounts{};
    for (int i = 0; i < 8; ++i)
        amounts[i] = readNumber(statement_.value(QStringLiteral("C%1").arg(i + 2))->text());
    const AnnualTotals t = annualTotals(amounts);
    const auto shown = [](double value) { return value > 0 ? formatNumber(value, kTotalPattern) : QString(); };
    statement_.value(QStringLiteral("Salaire de poste"))->setText(shown(t.salairePoste));
    statement_.value(QStringLiteral("Salaire annuel"))->setText(shown(t.salaireAnnuel));
    statement_.value(QStringLiteral("Total des retenues"))->setText(shown(t.retenues));
    statement_.value(QStringLiteral("Net"))->setText(shown(t.net));
}

void Salaires::printStatement()
{
    if (!agentShown_)
        return;
    AnnualStatement st;
    for (int i = 0; i < 8; ++i) {
        QLineEdit* e = statement_.value(QStringLiteral("C%1").arg(i + 2));
        if (!checkAmountField(*e, s_.ui()))
            return;
        st.amounts[i] = readNumber(e->text());
    }
    recomputeStatement();
    st.debut = statement_.value(QStringLiteral("Du"))->text().trimmed();
    st.fin = statement_.value(QStringLiteral("Au"))->text().trimmed();
    st.caption2 = statement_.value(QStringLiteral("Caption2"))->text();
    st.caption3 = statement_.value(QStringLiteral("Caption3"))->text();
    printAnnualStatement(s_, agent_.num, st, signatory());
}

void Salaires::closeStatement()
{
    if (side_->panel() == statementPanel_)
        closePanel();
    setDocumentMode(false);
    // The option is cleared, so that choosing it again opens the panel again.
    printGroup_->setExclusive(false);
    printOptions_[Releve]->setChecked(false);
    printGroup_->setExclusive(true);
}

// ---- leaving ------------------------------------------------------------------------------------------

bool Salaires::saveAll()
{
    if (!saveObservations() || !saveCurrent())
        return false;
    s_.signature1 = sigNom_->text().trimmed();
    s_.signature2 = sigQualite_->text().trimmed();
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
    if (event->type() == QEvent::FocusOut) {
        if (auto* e = qobject_cast<QLineEdit*>(watched)) {
            if (statement_.values().contains(e))
                recomputeStatement();
            else
                recompute();
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kv
