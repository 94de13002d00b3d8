#include "Auteur.h"

#include "Deployment.h"
#include "Pictures.h"
#include "core/kit/Colours.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace kv {

namespace {
/// An icon of nothing: the title bar shows no icon rather than the program's.
QIcon noIcon()
{
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}
} // namespace

Auteur::Auteur(Session&, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Auteur"));
    setWindowTitle(QStringLiteral("  Réalisation"));
    setWindowIcon(noIcon());
    setModal(true);

    auto* emblem = new QLabel(this);
    emblem->setObjectName(QStringLiteral("embleme"));
    emblem->setPixmap(builtInPicture(QStringLiteral("Gauche"), QSize(172, 161), devicePixelRatioF()));

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        labels_ << l;
        return l;
    };
    QLabel* maker = label("fabricant", deployment::kMakerName);
    QLabel* street = label("adresse", deployment::kStreetAddress);
    QLabel* city = label("ville", deployment::kCity);
    QLabel* telephone = label("telephone", deployment::kTelephone);
    QLabel* hours = label("heures", QStringLiteral("(Heures de bureau S.V.P.)"));
    QLabel* email = label("email", deployment::kEmail);

    QFont big = maker->font();
    big.setPointSizeF(big.pointSizeF() * 1.45);
    big.setBold(true);
    maker->setFont(big);
    maker->setStyleSheet(QStringLiteral("color: %1;").arg(kit::colours::kAboutHeading));
    QFont small = hours->font();
    small.setItalic(true);
    small.setPointSizeF(small.pointSizeF() * 0.9);
    hours->setFont(small);
    hours->setStyleSheet(QStringLiteral("color: %1;").arg(kit::colours::kAboutMuted));
    email->setStyleSheet(QStringLiteral("color: %1;").arg(kit::colours::kLink));

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setStyleSheet(QStringLiteral("color: %1;").arg(kit::colours::kAboutRule));

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addStretch();
    texts->addWidget(maker);
    texts->addSpacing(4);
    texts->addWidget(rule);
    texts->addSpacing(6);
    texts->addWidget(street);
    texts->addWidget(city);
    texts->addSpacing(10);
    texts->addWidget(telephone);
    texts->addWidget(hours);
    texts->addSpacing(10);
    texts->addWidget(email);
    texts->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 20, 28, 20);
    layout->setSpacing(22);
    layout->addWidget(emblem, 0, Qt::AlignVCenter);
    layout->addLayout(texts);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    emblem->installEventFilter(this);
    rule->installEventFilter(this);
    for (QLabel* l : labels_)
        l->installEventFilter(this);
}

bool Auteur::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return true;
    if (event->type() == QEvent::MouseButtonRelease) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Auteur::mousePressEvent(QMouseEvent* event) { event->accept(); }

void Auteur::mouseReleaseEvent(QMouseEvent* event)
{
    accept();
    event->accept();
}

} // namespace kv
