#include "Form1.h"

#include "core/passwords/Form_v2.h"
#include "core/passwords/New_MPS.h"
#include "core/startup/ExitSequence.h"
#include "core/state/Session.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

namespace kv {

Form1::Form1(Session& session, QWidget* parent) : QMainWindow(parent), s_(session)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kavorel"));
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("fond"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(40, 30, 40, 30);
    auto* title = new QLabel(QStringLiteral("Kavorel"), central);
    title->setObjectName(QStringLiteral("titre"));
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() * 3);
    titleFont.setBold(true);
    title->setFont(titleFont);
    layout->addWidget(title, 0, Qt::AlignLeft);
    for (int i = 0; i < 3; ++i) {
        header_[i] = new QLabel(central);
        header_[i]->setObjectName(QStringLiteral("entete%1").arg(i + 1));
        QFont f = header_[i]->font();
        f.setPointSize(f.pointSize() + (i == 0 ? 6 : 3));
        f.setBold(i != 1);
        header_[i]->setFont(f);
        layout->addWidget(header_[i], 0, Qt::AlignLeft);
    }
    layout->addStretch();
    setCentralWidget(central);
    buildMenus();
    refreshHeader();
    resize(1000, 700);
}

void Form1::buildMenus()
{
    QMenu* fichiers = menuBar()->addMenu(QStringLiteral("&Fichiers"));
    QAction* lock = fichiers->addAction(QStringLiteral("&Verrouillage"));
    lock->setObjectName(QStringLiteral("verrouillage"));
    connect(lock, &QAction::triggered, this, &Form1::openPasswords);
    fichiers->addSeparator();
    QAction* quit = fichiers->addAction(QStringLiteral("&Quitter"));
    quit->setObjectName(QStringLiteral("quitter"));
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void Form1::refreshHeader()
{
    const QStringList lines = s_.headerLines();
    for (int i = 0; i < 3; ++i)
        header_[i]->setText(lines.value(i));
}

void Form1::openPasswords()
{
    if (!checkLevel2(s_))
        return;
    New_MPS screen(s_, this);
    s_.ui().showModal(screen);
}

bool Form1::confirmExit()
{
    if (!s_.ui().ask(QStringLiteral("Veuiller Confirmer Fin de Travail !!"), ui::Icon::NoIcon, QStringLiteral("Z.E.B.")))
        return false;
    ExitSequence().run(s_);
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
