#include "Form1.h"

#include "MenuChecks.h"
#include "core/kit/Colours.h"
#include "exercise/viewing/Viewing.h"
#include "core/about/MainPictures.h"
#include "core/about/Pictures.h"
#include "core/passwords/Form_v2.h"
#include "core/passwords/New_MPS.h"
#include "core/connexion/Desks.h"
#include "core/startup/ExitSequence.h"
#include "core/state/Session.h"
#include "platform/db/Error.h"
#include "platform/os/Display.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kZeb = QStringLiteral("Z.E.B.");

/// The nine shortcut labels: caption, the menu entry they stand for, and their picture.
struct Shortcut {
    const char* caption;
    const char* action;
    const char* picture;
};
const Shortcut kShortcuts[9] = {
    {"Chauffeurs", "chauffeurs", "chauffeurs"}, {"Clients", "clients", "clients"},
    {"Salaires", "calcul", "salaires"},         {"Recettes", "recettes_diverses", "recettes"},
    {"Journal", "rapport", "journal"},          {"Caisse", "caisse", "caisse"},
    {"Quitter", "quitter", "quitter"},          {"Véhicules", "vehicules", "vehicules"},
    {"Agents", "agents", "agents"},
};

/// The window's inside: the "Droit" picture covers all of it.
class Background : public QWidget {
public:
    Background(MainPictures& pictures, QWidget* parent) : QWidget(parent), pictures_(pictures)
    {
        setObjectName(QStringLiteral("fond"));
        setAttribute(Qt::WA_Hover);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const QPixmap droit = pictures_.picture(MainPictures::Droit);
        if (!droit.isNull()) {
            const QPixmap scaled = droit.scaled(size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
            p.drawPixmap((width() - scaled.width()) / 2, (height() - scaled.height()) / 2, scaled);
        }
    }

private:
    MainPictures& pictures_;
};

void setFramed(QLabel* label, bool on)
{
    label->setFrameStyle(on ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
}

} // namespace

Form1::Form1(Session& session, MainPictures& pictures, os::Display& display, ScreenOpeners openers, QWidget* parent)
    : QMainWindow(parent), s_(session), pictures_(pictures), display_(display), openers_(std::move(openers))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kavorel"));
    buildBody();
    buildMenus();
    // A shortcut label does what its menu entry does, and is available when the entry is.
    for (int i = 0; i < 9; ++i) {
        QAction* a = action(shortcutActions_[i]);
        auto sync = [this, i, a] {
            shortcutLabels_[i]->setEnabled(a->isEnabled());
            shortcutPictures_[i]->setEnabled(a->isEnabled());
        };
        connect(a, &QAction::changed, this, sync);
        sync();
    }
    refreshHeader();
    reinitialise_les_menus();
    connect(&pictures_, &MainPictures::pictureChanged, this, &Form1::showPicture);
    showPicture(MainPictures::Gauche);
    resize(1025, 729);
    // A desk on a server looks now and then whether another desk changed the years (one small read).
    auto* watch = new QTimer(this);
    watch->setObjectName(QStringLiteral("suiviPostes"));
    connect(watch, &QTimer::timeout, this, [this] { followOtherDesks(); });
    watch->start(5000);
}

Form1::~Form1() = default;

QLabel* Form1::shortcutLabel(int position) const { return shortcutLabels_[position]; }
QLabel* Form1::headerLine(int n) const { return header_[n - 1]; }

// ---- menus ---------------------------------------------------------------------------------------------

QAction* Form1::addEntry(QMenu* menu, const QString& name, const QString& caption, const std::function<void()>& run)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, run] {
        try {
            run();
        } catch (const db::Error& e) {
            s_.ui().message(e.message(), ui::Icon::Critical, kZeb);
        } catch (const ProgramEnd&) {
            exiting_ = true;
            close();
            QApplication::exit(1);
        }
    });
    actions_.insert(name, a);
    return a;
}

void Form1::openScreen(const QString& name)
{
    if (const std::function<void()> open = openers_.screens.value(name))
        open();
    // A screen may have changed what is due.
    if (notice_)
        refreshNotice();
}

void Form1::openGuarded(const QString& screen, bool level2, const std::function<bool()>& check, bool checkFirst)
{
    if (checkFirst && check && !check())
        return;
    if (level2 && !checkLevel2(s_))
        return;
    if (!checkFirst && check && !check())
        return;
    openScreen(screen);
}

void Form1::buildMenus()
{
    auto screen = [this](const QString& name, bool level2 = false) {
        return [this, name, level2] { openGuarded(name, level2, {}, false); };
    };

    QMenu* fichiers = menuBar()->addMenu(QStringLiteral("&Fichiers"));
    QMenu* parametrages = fichiers->addMenu(QStringLiteral("&Paramétrages"));
    addEntry(parametrages, "identification", QStringLiteral("&Identification"), screen("Identif0", true));
    addEntry(parametrages, "charges", QStringLiteral("&Charges"), screen("Chrges", true));
    addEntry(parametrages, "connexion", QStringLiteral("C&onnexion"), screen("Connexion", true));
    addEntry(parametrages, "identite", QStringLiteral("Identité de l'&entreprise"), [this] {
        openGuarded(QStringLiteral("F_Identite"), true, {}, false);
        refreshHeader();
    });
    QMenu* exercice = fichiers->addMenu(QStringLiteral("&Exercice"));
    addEntry(exercice, "cloturer", QStringLiteral("&Clôturer l'exercice"), [this] { closeExercise(); });
    addEntry(exercice, "annuler_cloture", QStringLiteral("&Annuler derniere clôture"), [this] { undoLastClosing(); });
    addEntry(exercice, "voir_exercice", QStringLiteral("&Voir un autre exercice"), [this] {
        // The reminder of a single exercise comes before the password.
        openGuarded(QStringLiteral("VoirExercice"), true, [this] { return exercise::severalExercises(s_); }, true);
    });
    fichiers->addSeparator();
    addEntry(fichiers, "sauvegarde", QStringLiteral("Sauvegarde"), screen("F_Arch2_0"));
    addEntry(fichiers, "importation", QStringLiteral("Importation"), [this] { importArchive(); });
    fichiers->addSeparator();
    addEntry(fichiers, "verrouillage", QStringLiteral("&Verrouillage"), [this] {
        if (!checkLevel2(s_))
            return;
        New_MPS passwords(s_, this);
        s_.ui().showModal(passwords);
    });
    addEntry(fichiers, "reparer", QStringLiteral("&Réparer une base"), screen("Mecano2"));
    fichiers->addSeparator();
    addEntry(fichiers, "quitter", QStringLiteral("&Quitter"), [this] { close(); });

    QMenu* initialisations = menuBar()->addMenu(QStringLiteral("Initialisations"));
    // Its title stands as it is; Alt+I opens it as the other menus open by their letter.
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_I), this), &QShortcut::activated, this, [this, initialisations] {
        menuBar()->setActiveAction(initialisations->menuAction());
    });
    const char* references[4][2] = {{"types", "Types (Véhicule)"}, {"marques", "Marques"}, {"modeles", "Modèles"}, {"carburants", "Carburants"}};
    for (int mode = 1; mode <= 4; ++mode) {
        const QString name = QStringLiteral("Initials%1").arg(mode);
        addEntry(initialisations, references[mode - 1][0], QString::fromUtf8(references[mode - 1][1]), screen(name));
    }
    initialisations->addSeparator();
    addEntry(initialisations, "vehicules", QStringLiteral("Véhicules"), screen("Vehicules", true));
    addEntry(initialisations, "chauffeurs", QStringLiteral("Chauffeurs"), screen("J_Chauff"));

    QMenu* mouvements = menuBar()->addMenu(QStringLiteral("&Mouvements"));
    addEntry(mouvements, "clients", QStringLiteral("Clients"), screen("J_clients"));
    addEntry(mouvements, "location", QStringLiteral("Location"), [this] {
        openGuarded(QStringLiteral("F_Location"), false, [this] { return menu_checks::rentalPrerequisites(s_); }, true);
    });
    addEntry(mouvements, "recettes_diverses", QStringLiteral("Recettes diverses"), screen("J_Recettes"));
    mouvements->addSeparator();
    addEntry(mouvements, "agents", QStringLiteral("Agents"), screen("j_AGENT"));
    QMenu* salaires = mouvements->addMenu(QStringLiteral("&Salaires"));
    addEntry(salaires, "calcul", QStringLiteral("Calcul / Correction"), [this] {
        openGuarded(QStringLiteral("Salaires"), true, [this] {
            if (!menu_checks::salariedAgents(s_))
                return false;
            s_.reportTemplate.clear();
            return true;
        }, true);
    });
    addEntry(salaires, "charges_patronales", QStringLiteral("Charges Patronales"), [this] {
        openGuarded(QStringLiteral("Identif1"), true, [this] { return menu_checks::paysComputed(s_); }, true);
    });
    addEntry(salaires, "supprimer_paye", QStringLiteral("Supprimer une paye"), [this] {
        openGuarded(QStringLiteral("Identif2"), true, [this] { return menu_checks::paysComputed(s_); }, true);
    });

    QMenu* editions = menuBar()->addMenu(QStringLiteral("&Editions"));
    addEntry(editions, "rapport", QStringLiteral("&Rapport d'activité"), screen("f_jrnl2", true));
    addEntry(editions, "caisse", QStringLiteral("Caisse"), [this] { openCashBook(); });
    editions->addSeparator();
    addEntry(editions, "echeances", QStringLiteral("Échéances"), screen("F_Echeances"));
    addEntry(editions, "cout_vehicules", QStringLiteral("Coût par véhicule"), screen("F_CoutVehicules"));

    QMenu* aide = menuBar()->addMenu(QStringLiteral("?"));
    QMenu* affichage = aide->addMenu(QStringLiteral("Affichage"));
    displayGroup_ = new QActionGroup(this);
    const char* displays[3][2] = {{"resolution_origine", "Résolution d'origine"}, {"petite_resolution", "Petite résolution"},
                                  {"grande_resolution", "Grande résolution"}};
    for (int i = 0; i < 3; ++i) {
        QAction* a = addEntry(affichage, displays[i][0], QString::fromUtf8(displays[i][1]), [this, i] { chooseDisplay(i); });
        a->setCheckable(true);
        a->setChecked(i == int(s_.displayChoice));
        displayGroup_->addAction(a);
    }
    QAction* guide = addEntry(aide, "guide", QStringLiteral("Guide de l'utilisateur"), screen("Guide"));
    guide->setShortcut(QKeySequence(Qt::Key_F1));
    addEntry(aide, "aide", QStringLiteral("Aide"), screen("F_HLP"));
    addEntry(aide, "a_propos", QStringLiteral("&A propos ..."), screen("Auteur"));
}

void Form1::askIdentityOnFirstStart()
{
    // Once, on the start that chose the first exercise: a new firm enters the name its documents print.
    if (!s_.firstStart)
        return;
    s_.firstStart = false;
    if (!s_.identite(1).trimmed().isEmpty())
        return;
    openScreen(QStringLiteral("F_Identite"));
    refreshHeader();
}

void Form1::reinitialise_les_menus()
{
    const bool latest = s_.dernierExercice;
    for (const char* name : {"cloturer", "annuler_cloture"})
        if (QAction* a = action(name))
            a->setEnabled(latest);
}

void Form1::closeExercise()
{
    if (!checkLevel2(s_))
        return;
    if (s_.exerciceOuvert != s_.latestYear()) {
        s_.ui().beep();
        s_.ui().message(QStringLiteral("Exercice déja clôturé"));
        return;
    }
    openScreen(QStringLiteral("Cloturex"));
    s_.dernierExercice = true;
    reinitialise_les_menus();
    refreshHeader();
}

void Form1::undoLastClosing()
{
    if (!checkLevel2(s_))
        return;
    if (!openers_.confirmUndo())
        return;
    openers_.undoClosing();
    s_.dernierExercice = true;
    reinitialise_les_menus();
    refreshHeader();
    s_.ui().message(QStringLiteral("Exercice  ") + QString::number(s_.exerciceOuvert) + QStringLiteral(" en place"),
                    ui::Icon::Information, kZeb);
}

void Form1::openCashBook()
{
    // The password comes before the check of this entry.
    if (!checkLevel2(s_))
        return;
    if (!menu_checks::fundMovements(s_))
        return;
    const QDate chosen = openers_.chooseDate(s_.defaultDay());
    if (chosen.isValid() && chosen.day() > 0)
        openers_.cashBook(chosen);
}

void Form1::importArchive()
{
    openScreen(QStringLiteral("F_Arch2_1"));
    if (openers_.restart && !openers_.restart()) {
        exiting_ = true;
        close();
        QApplication::exit(1);
        return;
    }
    refreshHeader();
    reinitialise_les_menus();
}

bool Form1::followOtherDesks()
{
    if (!s_.server || !s_.isOpen() || exiting_ || following_ || QApplication::activeModalWidget())
        return false;
    bool changed = false;
    try {
        changed = desks::yearsChanged(s_.db());
        if (!changed)
            desks::touch(s_.db());
    } catch (const db::Error&) {
        return false; // the server out of reach for a moment: looked at again later
    }
    if (!changed)
        return false;
    following_ = true;
    s_.ui().message(QStringLiteral("Les exercices ont été modifiés sur un autre poste (clôture, annulation de clôture, "
                                   "importation ou réparation).\nRetour à la fenêtre principale."),
                    ui::Icon::Information, kZeb);
    const bool restarted = !openers_.restart || openers_.restart();
    following_ = false;
    if (!restarted) {
        exiting_ = true;
        close();
        QApplication::exit(1);
        return true;
    }
    if (!openers_.restart)
        s_.reconnect();
    refreshHeader();
    reinitialise_les_menus();
    return true;
}

void Form1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, [this] { followOtherDesks(); });
}

void Form1::chooseDisplay(int choice)
{
    const auto wanted = DisplayChoice(choice);
    if (wanted != s_.displayChoice) {
        static const QSize fixed[3] = {QSize(), QSize(1024, 768), QSize(800, 600)};
        display_.setSize(wanted == DisplayChoice::Origine ? s_.originalScreenSize : fixed[choice]);
        s_.displayChoice = wanted;
        s_.displayChanged = wanted != DisplayChoice::Origine;
    }
    const QList<QAction*> entries = displayGroup_->actions();
    for (int i = 0; i < entries.size(); ++i)
        entries[i]->setChecked(i == int(s_.displayChoice));
}

// ---- window body -----------------------------------------------------------------------------------------

void Form1::buildBody()
{
    body_ = new Background(pictures_, this);
    body_->installEventFilter(this);

    title_ = new QLabel(QStringLiteral("Kavorel"), body_);
    title_->setObjectName(QStringLiteral("titre"));
    QFont titleFont(QStringLiteral("DejaVu Serif"));
    titleFont.setPointSize(34);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    title_->setStyleSheet(QStringLiteral("color: %1; background: transparent; padding: 2px 10px;").arg(kit::colours::kMainText));
    title_->setCursor(Qt::PointingHandCursor);
    title_->installEventFilter(this);

    const int headerSizes[3] = {17, 13, 14};
    auto* headerBox = new QVBoxLayout;
    headerBox->setSpacing(2);
    for (int i = 0; i < 3; ++i) {
        header_[i] = new QLabel(body_);
        header_[i]->setObjectName(QStringLiteral("entete%1").arg(i + 1));
        QFont f = header_[i]->font();
        f.setPointSize(headerSizes[i]);
        f.setBold(i != 1);
        header_[i]->setFont(f);
        header_[i]->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(kit::colours::kMainText));
        header_[i]->setTextFormat(Qt::PlainText);
        headerBox->addWidget(header_[i]);
    }

    notice_ = new QLabel(body_);
    notice_->setObjectName(QStringLiteral("avis"));
    notice_->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; border: 1px solid %3; "
                                          "border-radius: 4px; padding: 4px 10px; font-weight: bold; }")
                               .arg(kit::colours::kNoticeText, kit::colours::kNoticeBackground, kit::colours::kNoticeBorder));
    notice_->setCursor(Qt::PointingHandCursor);
    notice_->setToolTip(QStringLiteral("Échéances"));
    notice_->installEventFilter(this);
    notice_->hide();

    gauche_ = new QLabel(body_);
    gauche_->setObjectName(QStringLiteral("gauche"));
    gauche_->setFixedSize(393, 369);
    gauche_->setAlignment(Qt::AlignCenter);
    gauche_->setStyleSheet(QStringLiteral("background: transparent;"));

    changePicture_ = new QLabel(QStringLiteral("Modifier l'image"), body_);
    changePicture_->setObjectName(QStringLiteral("modifier_image"));
    changePicture_->setCursor(Qt::PointingHandCursor);
    changePicture_->setStyleSheet(QStringLiteral("color: %1; background: rgba(255,255,255,160); padding: 3px 8px;").arg(kit::colours::kMainText));
    changePicture_->installEventFilter(this);

    auto* shortcuts = new QGridLayout;
    shortcuts->setHorizontalSpacing(26);
    shortcuts->setVerticalSpacing(18);
    for (int i = 0; i < 9; ++i) {
        shortcutActions_[i] = QString::fromLatin1(kShortcuts[i].action);
        auto* picture = new QLabel(body_);
        picture->setObjectName(QStringLiteral("raccourci_image%1").arg(i));
        picture->setFixedSize(76, 76);
        picture->setAlignment(Qt::AlignCenter);
        picture->setPixmap(builtInPicture(QString::fromLatin1(kShortcuts[i].picture), QSize(64, 64)));
        picture->setStyleSheet(QStringLiteral("background: rgba(255,255,255,150); border-radius: 6px;"));
        picture->setCursor(Qt::PointingHandCursor);
        picture->installEventFilter(this);
        auto* label = new QLabel(QString::fromUtf8(kShortcuts[i].caption), body_);
        label->setObjectName(QStringLiteral("raccourci%1").arg(i));
        QFont f = label->font();
        f.setPointSize(12);
        f.setBold(true);
        label->setFont(f);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QStringLiteral("QLabel { color: %1; background: rgba(255,255,255,170); padding: 2px 6px; }"
                                            "QLabel:disabled { color: %2; }")
                                 .arg(kit::colours::kMainText, kit::colours::kDisabledText));
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        shortcutPictures_[i] = picture;
        shortcutLabels_[i] = label;
        auto* cell = new QVBoxLayout;
        cell->setSpacing(4);
        cell->addWidget(picture, 0, Qt::AlignHCenter);
        cell->addWidget(label, 0, Qt::AlignHCenter);
        shortcuts->addLayout(cell, i / 3, i % 3);
    }

    auto* left = new QVBoxLayout;
    left->setSpacing(10);
    left->addWidget(title_, 0, Qt::AlignLeft);
    left->addLayout(headerBox);
    left->addWidget(notice_, 0, Qt::AlignLeft);
    left->addSpacing(12);
    left->addWidget(gauche_, 0, Qt::AlignLeft);
    left->addWidget(changePicture_, 0, Qt::AlignLeft);
    left->addStretch();

    auto* right = new QVBoxLayout;
    right->addStretch();
    right->addLayout(shortcuts);
    right->addStretch();

    auto* layout = new QHBoxLayout(body_);
    layout->setContentsMargins(16, 12, 30, 16);
    layout->addLayout(left);
    layout->addStretch();
    layout->addLayout(right);
    setCentralWidget(body_);
}

void Form1::showPicture(int position)
{
    if (position == MainPictures::Droit)
        body_->update();
    if (position == MainPictures::Gauche) {
        const QPixmap p = pictures_.picture(MainPictures::Gauche);
        gauche_->setPixmap(p.isNull() ? QPixmap() : p.scaled(gauche_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
}

void Form1::refreshHeader()
{
    const QStringList lines = s_.headerLines();
    for (int i = 0; i < 3; ++i)
        header_[i]->setText(lines.value(i));
    refreshNotice();
}

void Form1::refreshNotice()
{
    const QString text = openers_.notice ? openers_.notice() : QString();
    notice_->setText(text);
    notice_->setHidden(text.isEmpty());
}

void Form1::clearHoverFrames()
{
    setFramed(title_, false);
    setFramed(changePicture_, false);
    for (int i = 0; i < 9; ++i) {
        setFramed(shortcutLabels_[i], false);
        setFramed(shortcutPictures_[i], false);
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || (watched == body_ && event->type() == QEvent::MouseMove)) {
        if (watched == body_) {
            clearHoverFrames();
        } else if (watched == title_) {
            setFramed(title_, true);
        } else if (watched == changePicture_) {
            setFramed(changePicture_, true);
        } else {
            for (int i = 0; i < 9; ++i) {
                if (watched == shortcutLabels_[i]) {
                    setFramed(shortcutLabels_[i], true);
                    setFramed(shortcutPictures_[i], true);
                } else if (watched == shortcutPictures_[i]) {
                    setFramed(shortcutPictures_[i], true);
                }
            }
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == title_) {
            openScreen(QStringLiteral("Auteur"));
            return true;
        }
        if (watched == changePicture_) {
            openScreen(QStringLiteral("FP_imge"));
            return true;
        }
        if (watched == notice_) {
            openScreen(QStringLiteral("F_Echeances"));
            return true;
        }
        for (int i = 0; i < 9; ++i) {
            if (watched == shortcutLabels_[i] || watched == shortcutPictures_[i]) {
                if (QAction* a = action(shortcutActions_[i]); a && a->isEnabled())
                    a->trigger();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- exit ------------------------------------------------------------------------------------------------

bool Form1::confirmExit()
{
    if (!s_.ui().ask(QStringLiteral("Veuiller Confirmer Fin de Travail !!"), ui::Icon::NoIcon, kZeb))
        return false;
    ExitSequence exit;
    exit.restoreDisplay = [this] { display_.setSize(s_.originalScreenSize); };
    exit.run(s_);
    return true;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (exiting_ || confirmExit()) {
        exiting_ = true;
        event->accept();
        QApplication::quit();
    } else {
        event->ignore();
    }
}

} // namespace kv
