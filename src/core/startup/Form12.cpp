#include "Form12.h"
#include "Startup.h"

#include "core/connexion/Connexion.h"
#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"
#include "platform/db/FileOps.h"

#include <QDate>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

Form12::Form12(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Initialisation"));
    setModal(true);

    auto* label = kit::panelHeading(QStringLiteral("Exercice Initial"), this, QStringLiteral("exerciceInitial"));
    QFont big = label->font();
    big.setPointSize(big.pointSize() + 2);

    year_ = new QLineEdit(QString::number(QDate::currentDate().year()), this);
    year_->setObjectName(QStringLiteral("annee"));
    year_->setAlignment(Qt::AlignCenter);
    year_->setFont(big);
    year_->setMaximumWidth(140);
    year_->setMaxLength(4);
    new DigitField(year_);
    year_->installEventFilter(this);

    year_->setAccessibleName(label->text());

    // The kit's command bar at the foot: "OK" confirms and is the default command (Enter in the field
    // only once it holds 4 digits), "Quitter" ends.
    auto* bar = new kit::CommandBar(this);
    connection_ = bar->add(kit::Glyph::Open, QStringLiteral("Connexion…"), QStringLiteral("connexion"),
                           QKeySequence(Qt::ALT | Qt::Key_C), this, &Form12::chooseConnection);
    connection_->setToolTip(QStringLiteral("Travailler sur le serveur PostgreSQL de l'entreprise plutôt que sur un fichier local"));
    bar->addStretch();
    ok_ = bar->add(kit::Command::Confirm, QStringLiteral("ok"), this, &Form12::confirm, QStringLiteral("OK"));
    quit_ = bar->add(kit::Command::Quit, QStringLiteral("quitter"), static_cast<QDialog*>(this), &QDialog::reject);
    kit::setDefaultCommand(*this, ok_);

    auto* fieldRow = new QHBoxLayout;
    fieldRow->addStretch();
    fieldRow->addWidget(year_);
    fieldRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->addWidget(kit::titleBand(windowTitle(), this));
    layout->addWidget(label);
    layout->addLayout(fieldRow);
    layout->addStretch();
    layout->addWidget(bar);
    kit::sizeScreen(*this, QSize(380, 230));
    year_->setFocus();
    year_->selectAll();
}

void Form12::chooseConnection()
{
    Connexion screen(s_, Connexion::Use::Now, this);
    if (s_.ui().showModal(screen) != QDialog::Accepted)
        return;
    // On the local files nothing changes here; a server is taken by the start-up at once, with the
    // password just typed.
    if (screen.savedChoice().onServer) {
        s_.server = screen.savedChoice().server;
        done(kConnectionChanged);
    }
}

bool Form12::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == year_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (year_->text().size() == 4)
                confirm();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Form12::confirm()
{
    const double value = readNumber(year_->text());
    // Above 1993, and a year of four digits: what the start-up accepts from the state file.
    if (value >= kFirstPossibleYear && value <= kLastPossibleYear) {
        s_.premierExercice = static_cast<int>(value);
        s_.nbClotures = 0;
        const QString path = s_.exercisePath(s_.premierExercice);
        // On a server the year is its schema, made by the exercise connection.
        if (!s_.server && !QFile::exists(path)) {
            QString error;
            if (!db::copyFileAtomic(s_.programFile(QStringLiteral("ZEB_00.mdb")), path, &error)) {
                s_.ui().refuse(error);
                return;
            }
        }
        if (!s_.writeExerciseState())
            return;
        accept();
        return;
    }
    s_.ui().message(QStringLiteral("Saisie  incorrecte"), ui::Icon::Exclamation, QStringLiteral("A T T E N T I O N"));
    year_->setFocus();
    year_->setSelection(0, 4);
}

} // namespace kv
