#include "F_HLP.h"

#include "Deployment.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "core/kit/Colours.h"
#include "core/kit/GridModel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace kv {

namespace {
// Column widths of the grid in twips, 15 twips to the pixel.
constexpr int kColumnTwips[3] = {670, 8780, 270};
constexpr int kTwipsPerPixel = 15;
/// The line of the signature.
constexpr int kSignatureRow = 18;

QIcon noIcon()
{
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}
} // namespace

QStringList F_HLP::lines()
{
    return {
        QString(),
        QStringLiteral("    'Z.E.B.' est un logiciel destiné aux entreprises qui gèrent un parc"),
        QStringLiteral(" important de véhicules ou d'autres matériels roulants."),
        QString(),
        QStringLiteral("    Il suit pour chaque véhicule les dépenses engagées, classées par"),
        QStringLiteral("rubrique (carburant, huiles, pièces, entretien, pneumatiques, divers),"),
        QStringLiteral("et réunit toutes les informations utiles à son exploitation"),
        QStringLiteral("(Assurances, Contrôle Technique, Vidanges, Chauffeurs)."),
        QString(),
        QStringLiteral("    D'une utilisation très simple, il devient d'autant plus précieux"),
        QStringLiteral("que sa base de données s'enrichit : chaque saisie complète l'historique"),
        QStringLiteral("du parc et affine le suivi de son exploitation."),
        QString(),
        QStringLiteral("   Parmi les fonctions qui complètent utilement le programme, citons :"),
        QStringLiteral("Paramétrages (personnalisation de  la base de  données),  Verrouillage"),
        QStringLiteral("(installation / modification de mots de  passe),  Archivage et Importation"),
        QStringLiteral("(archivage de sécurité de la base de données)."),
        QString(),
        QString(76, QLatin1Char(' ')) + deployment::kSignature,
        QString(),
    };
}

F_HLP::F_HLP(Session&, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("F_HLP"));
    setWindowTitle(QStringLiteral("Présentation succinte"));
    setWindowIcon(noIcon());
    setModal(true);

    heading_ = new QLabel(QStringLiteral("Présentation succinte"), this);
    heading_->setObjectName(QStringLiteral("titre"));
    QFont headingFont = heading_->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.5);
    headingFont.setBold(true);
    heading_->setFont(headingFont);
    heading_->setStyleSheet(QStringLiteral("color: %1;").arg(kit::colours::kAboutHeading));

    close_ = new PictureButton(builtInPicture(QStringLiteral("Fermer"), QSize(40, 40), devicePixelRatioF()), this);
    close_->setObjectName(QStringLiteral("Image1_2"));
    close_->setToolTip(QStringLiteral("Fermer"));
    connect(close_, &PictureButton::clicked, this, &QDialog::accept);

    const QStringList text = lines();
    // The text in the middle column, the signature's line in the link's colour and in italics (its row
    // carries the flag after the three columns).
    QList<kit::GridColumn> columns(3);
    columns[1].look = [](const QVariantList& row) {
        return row.value(3).toBool() ? kit::CellLook{kit::colours::kLink, false, true} : kit::CellLook{kit::colours::kAboutText};
    };
    auto* model = new kit::GridModel(std::move(columns), this);
    QList<QVariantList> rows;
    for (int row = 0; row < kRows; ++row)
        rows.append({QString(), text.value(row), QString(), row == kSignatureRow});
    model->setRows(std::move(rows));
    grid_ = new QTableView(this);
    grid_->setModel(model);
    grid_->setObjectName(QStringLiteral("grille"));
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setShowGrid(false);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setFocusPolicy(Qt::NoFocus);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setWordWrap(false);
    grid_->setFrameShape(QFrame::StyledPanel);
    grid_->setStyleSheet(QStringLiteral("QTableView { background: %1; border: 1px solid %2; border-radius: 4px; }")
                             .arg(kit::colours::kPlainBackground, kit::colours::kAboutRule));
    QFont textFont = grid_->font();
    textFont.setPointSizeF(textFont.pointSizeF() * 1.1);
    grid_->setFont(textFont);

    const QFontMetrics metrics(grid_->font());
    int widest = 0;
    for (int row = 0; row < kRows; ++row)
        widest = std::max(widest, metrics.horizontalAdvance(text.value(row)));
    const int rowHeight = metrics.height() + 5;
    grid_->verticalHeader()->setMinimumSectionSize(1);
    grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
    int width = 0;
    for (int column = 0; column < 3; ++column) {
        int w = kColumnTwips[column] / kTwipsPerPixel;
        if (column == 1)
            w = std::max(w, widest + 16);  // a wider font never cuts a line
        grid_->setColumnWidth(column, w);
        width += w;
    }
    const int frame = 2 * grid_->frameWidth();
    grid_->setFixedSize(width + frame, kRows * rowHeight + frame);

    auto* top = new QHBoxLayout;
    top->addWidget(heading_, 1, Qt::AlignVCenter);
    top->addWidget(close_, 0, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 12, 18, 18);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addWidget(grid_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The close picture loses its border when the pointer moves over the rest of the window.
    clearBordersOnMove(this, {this, heading_, grid_->viewport()}, {close_});
}

} // namespace kv
