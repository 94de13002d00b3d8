#include "DocumentsPanel.h"

#include "PayParts.h"
#include "Salaires.h"
#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"
#include "payroll/documents/FPaye.h"
#include "platform/db/Dates.h"

#include <QButtonGroup>
#include <QDate>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using namespace payroll;

namespace {

QString today() { return QDate::currentDate().toString(db::kShownDateFormat); }

} // namespace

PayDocumentsPanel::PayDocumentsPanel(PayDocumentsHost& host, Session& session, QWidget* parent)
    : QWidget(parent), host_(host), s_(session)
{
    setObjectName(QStringLiteral("documents"));
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(6);

    // The print options and the signatory of the pay documents.
    auto* print = new QGroupBox(QStringLiteral("Impression"), this);
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
    connect(printOptions_[Salaires::Releve], &QRadioButton::toggled, this, [this](bool on) {
        if (on && !host_.isPanelOpen(statementPanel_))
            imprimer();
    });
    l->addWidget(print);

    auto* sign = new QGroupBox(QStringLiteral("Signé par ..."), this);
    sign->setObjectName(QStringLiteral("signataire"));
    auto* sl = new QFormLayout(sign);
    sl->setVerticalSpacing(3);
    sigNom_ = kit::textField(sign, QStringLiteral("signe_nom"), 40);
    sigQualite_ = kit::textField(sign, QStringLiteral("signe_qualite"), 40);
    sigDate_ = kit::textField(sign, QStringLiteral("signe_date"), 10);
    new DateField(sigDate_, s_.ui());
    sigDate_->setMaximumWidth(110);
    sigNom_->setText(s_.signature1.trimmed());
    sigQualite_->setText(s_.signature2.trimmed());
    sigDate_->setText(today());
    sl->addRow(QStringLiteral("Nom"), sigNom_);
    sl->addRow(QStringLiteral("Qualité"), sigQualite_);
    sl->addRow(QStringLiteral("Date"), sigDate_);
    l->addWidget(sign);
}

void PayDocumentsPanel::buildPanels(kit::SidePanel* side)
{
    buildCertificatePanel(side);
    buildStatementPanel(side);
}

QLineEdit* PayDocumentsPanel::signatoryField(const QString& caption) const
{
    if (caption == QStringLiteral("Nom"))
        return sigNom_;
    if (caption == QStringLiteral("Qualité"))
        return sigQualite_;
    return caption == QStringLiteral("Date") ? sigDate_ : nullptr;
}

QWidget* PayDocumentsPanel::signatoryBox() const { return sigNom_->parentWidget(); }

void PayDocumentsPanel::setPeriod(const QString& from, const QString& to)
{
    statement_.value(QStringLiteral("Du"))->setText(from);
    statement_.value(QStringLiteral("Au"))->setText(to);
}

void PayDocumentsPanel::buildCertificatePanel(kit::SidePanel* side)
{
    QVBoxLayout* l = nullptr;
    certificatePanel_ = payparts::sidePanel(QStringLiteral("Attestation de Travail"), QStringLiteral("attestation"), side, &l);
    auto* form = new QFormLayout;
    const auto field = [&](const QString& caption, const QString& key, const QString& name, bool date) {
        QLineEdit* e = kit::textField(certificatePanel_, name, date ? 10 : 40);
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
    const kit::PanelButtons buttons = payparts::printPanelButtons(certificatePanel_, QStringLiteral("imprimer_attestation"),
                                                        QStringLiteral("fermer_attestation"));
    connect(buttons.confirm, &QToolButton::clicked, this, &PayDocumentsPanel::printCertificate);
    connect(buttons.cancel, &QToolButton::clicked, this, &PayDocumentsPanel::closeCertificate);
    l->addWidget(buttons.row);
    side->addPanel(certificatePanel_, [this] { closeCertificate(); });
}

void PayDocumentsPanel::buildStatementPanel(kit::SidePanel* side)
{
    QVBoxLayout* l = nullptr;
    statementPanel_ = payparts::sidePanel(QStringLiteral("Relevé annuel des émoluments"), QStringLiteral("releve"), side, &l);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    int r = 0;
    auto* period = new QHBoxLayout;
    for (const QString& key : {QStringLiteral("Du"), QStringLiteral("Au")}) {
        QLineEdit* e = kit::textField(statementPanel_, QStringLiteral("releve_") + key.toLower(), 10);
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
        QLineEdit* amount = kit::textField(statementPanel_, QStringLiteral("releve_c%1").arg(i + 2), 14);
        new DecimalField(amount);
        new SelectOnFocus(amount);
        amount->setAlignment(Qt::AlignRight);
        amount->setFont(kit::amountFont());
        amount->installEventFilter(this);
        statement_.insert(key, amount);
        if (i < 2) {
            QLineEdit* caption = kit::textField(statementPanel_, QStringLiteral("releve_libelle%1").arg(i + 2), 30);
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
            grid->addWidget(payparts::totalLabel(total, statementPanel_), r, 0);
            grid->addWidget(t, r++, 1);
        }
    }
    QLineEdit* net = kit::totalField(statementPanel_, QStringLiteral("releve_net"));
    statement_.insert(QStringLiteral("Net"), net);
    grid->addWidget(payparts::totalLabel(QStringLiteral("Net"), statementPanel_), r, 0);
    grid->addWidget(net, r++, 1);
    grid->setColumnStretch(0, 1);
    l->addLayout(grid);
    l->addStretch();
    const kit::PanelButtons buttons = payparts::printPanelButtons(statementPanel_, QStringLiteral("imprimer_releve"),
                                                        QStringLiteral("fermer_releve"));
    connect(buttons.confirm, &QToolButton::clicked, this, &PayDocumentsPanel::printStatement);
    connect(buttons.cancel, &QToolButton::clicked, this, &PayDocumentsPanel::closeStatement);
    l->addWidget(buttons.row);
    side->addPanel(statementPanel_, [this] { closeStatement(); });
}

// ---- documents --------------------------------------------------------------------------------------------

Signatory PayDocumentsPanel::signatory() const
{
    return {sigDate_->text().trimmed(), sigNom_->text().trimmed(), sigQualite_->text().trimmed()};
}

void PayDocumentsPanel::imprimer()
{
    const int month = host_.shownMonth();
    const std::optional<qint64> agent = host_.shownAgent();
    if (month == 0 || !agent)
        return;
    const int option = printGroup_->checkedId();
    if (option < 0)
        return;
    if (!host_.saveCurrent())
        return;
    switch (option) {
    case Salaires::Emargement:
        printSignatureList(s_, month);
        break;
    case Salaires::Bulletins:
        printPaySlips(s_, month);
        break;
    case Salaires::Attestation: {
        WorkCertificate c;
        if (!kit::guarded(s_.ui(), [&] { c = workCertificateFor(s_, *agent); }))
            return;
        certificate_.value(QStringLiteral("Attestation N°"))->setText(c.numero);
        certificate_.value(QStringLiteral("Né(e) le"))->setText(c.neLe);
        certificate_.value(QStringLiteral("Libre"))->setText(c.libre);
        certificate_.value(QStringLiteral("En fonction Du"))->setText(c.debut);
        certificate_.value(QStringLiteral("Au"))->setText(c.fin);
        host_.openDocumentPanel(certificatePanel_);
        certificate_.value(QStringLiteral("Attestation N°"))->setFocus();
        break;
    }
    case Salaires::FichePaye: {
        FPaye slip(s_, host_.shownSheet(), signatory(), window());
        s_.ui().showModal(slip);
        break;
    }
    case Salaires::Releve:
        fillStatementEstimates();
        host_.openDocumentPanel(statementPanel_);
        statement_.value(QStringLiteral("C2"))->setFocus();
        break;
    }
}

void PayDocumentsPanel::printCertificate()
{
    const std::optional<qint64> agent = host_.shownAgent();
    if (!agent)
        return;
    WorkCertificate c;
    c.numero = certificate_.value(QStringLiteral("Attestation N°"))->text();
    c.neLe = certificate_.value(QStringLiteral("Né(e) le"))->text();
    c.libre = certificate_.value(QStringLiteral("Libre"))->text();
    c.debut = certificate_.value(QStringLiteral("En fonction Du"))->text();
    c.fin = certificate_.value(QStringLiteral("Au"))->text();
    printWorkCertificate(s_, *agent, c, signatory());
}

void PayDocumentsPanel::closeCertificate()
{
    host_.closeDocumentPanel(certificatePanel_);
}

void PayDocumentsPanel::fillStatementEstimates()
{
    // Estimates from the current pay; CNAS and IRG whatever the boxes say.
    PayEntries e = host_.shownEntries();
    e.cnasDue = true;
    e.irgDue = true;
    const PayFigures f = computePay(e, host_.cnasRate());
    const auto estimate = [](double value) { return value > 0 ? formatNumber(value, u"######.00") : QString(); };
    statement_.value(QStringLiteral("C2"))->setText(estimate(e.tauxJour * e.nbreJours * 12));
    statement_.value(QStringLiteral("C4"))->setText(estimate(e.hSuppl * 12));
    statement_.value(QStringLiteral("C5"))->setText(estimate(e.indS * 12));
    statement_.value(QStringLiteral("C6"))->setText(estimate(f.cnasValue * 12));
    statement_.value(QStringLiteral("C7"))->setText(estimate(f.irgValue * 12));
    recomputeStatement();
}

void PayDocumentsPanel::recomputeStatement()
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

void PayDocumentsPanel::printStatement()
{
    const std::optional<qint64> agent = host_.shownAgent();
    if (!agent)
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
    printAnnualStatement(s_, *agent, st, signatory());
}

void PayDocumentsPanel::closeStatement()
{
    host_.closeDocumentPanel(statementPanel_);
    // The option is cleared, so that choosing it again opens the panel again.
    printGroup_->setExclusive(false);
    printOptions_[Salaires::Releve]->setChecked(false);
    printGroup_->setExclusive(true);
}

bool PayDocumentsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && statement_.values().contains(qobject_cast<QLineEdit*>(watched)))
        recomputeStatement();
    return QWidget::eventFilter(watched, event);
}

} // namespace kv
