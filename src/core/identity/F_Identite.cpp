#include "F_Identite.h"

#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

const std::array<F_Identite::Field, 4> F_Identite::kFields = {{
    {1, "Raison sociale", "En-tête de la fenêtre principale et de tous les documents"},
    {2, "Activité", "Deuxième ligne des documents"},
    {3, "Adresse", "En-tête de la fenêtre principale et des documents"},
    {4, "Téléphone", "Imprimé entre parenthèses sous l'adresse"},
}};

F_Identite::F_Identite(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("F_Identite"));
    setModal(true);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const Field& f = kFields[i];
        auto* e = new QLineEdit(this);
        e->setObjectName(QStringLiteral("identite%1").arg(f.number));
        e->setMaxLength(ProtectedSettings::kIdentityWidths[f.number - 1]);
        e->setText(s_.identite(f.number).trimmed());
        e->setToolTip(QString::fromUtf8(f.use));
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString(e->maxLength(), u'M')) / 2 + 40);
        const QString label = QString::fromUtf8(f.label);
        e->setAccessibleName(label);
        form->addRow(label, e);
        fields_[i] = e;
    }
    auto* note = new QLabel(QStringLiteral("Ces textes figurent en tête de la fenêtre principale et de tous les documents "
                                           "imprimés (listes, bons d'achat, contrats, fiches de paye, attestations)."),
                            this);
    note->setWordWrap(true);
    note->setObjectName(QStringLiteral("note"));

    const kit::PanelButtons buttons = kit::panelButtons(this);
    connect(buttons.confirm, &QToolButton::clicked, this, &F_Identite::confirm);
    connect(buttons.cancel, &QToolButton::clicked, this, &F_Identite::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Identité de l'entreprise"), this));
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addStretch();
    layout->addWidget(buttons.row);
    kit::setDefaultCommand(*this, buttons.confirm);
    typed_ = new kit::ChangeWatch(this);
    fields_[0]->setFocus();
    kit::sizeScreen(*this, QSize(620, 300));
}

QLineEdit* F_Identite::field(int number) const
{
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (kFields[i].number == number)
            return fields_[i];
    return nullptr;
}

bool F_Identite::save()
{
    QMap<int, QString> values;
    for (std::size_t i = 0; i < kFields.size(); ++i)
        values.insert(kFields[i].number, fields_[i]->text().trimmed());
    QString error;
    if (!s_.settings.saveIdentity(values, &error)) {
        s_.ui().message(QStringLiteral("ZEB.CFG : ") + error, ui::Icon::Critical, kit::kEngineErrorTitle);
        return false;
    }
    typed_->clear();
    return true;
}

void F_Identite::confirm()
{
    if (save())
        accept();
}

void F_Identite::reject()
{
    if (kit::mayLeave(s_.ui(), typed_->modified(), [this] { return save(); }))
        QDialog::reject();
}

} // namespace kv
