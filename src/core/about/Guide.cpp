#include "Guide.h"

#include "core/kit/ScreenKit.h"

#include <QLabel>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

QString Guide::home() { return QStringLiteral("qrc:/guide/index.html"); }

Guide::Guide(Session&, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Guide"));
    setWindowTitle(QStringLiteral("Guide de l'utilisateur"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Guide de l'utilisateur"), this));

    auto* bar = new kit::CommandBar(this);
    QToolButton* contents = bar->add(kit::Glyph::Open, QStringLiteral("Sommaire"), QStringLiteral("sommaire"),
                                     QKeySequence(Qt::ALT | Qt::Key_H));
    back_ = bar->add(kit::Glyph::Up, QStringLiteral("Précédent"), QStringLiteral("precedent"),
                     QKeySequence(Qt::ALT | Qt::Key_Left));
    forward_ = bar->add(kit::Glyph::Down, QStringLiteral("Suivant"), QStringLiteral("suivant"),
                        QKeySequence(Qt::ALT | Qt::Key_Right));
    bar->addStretch();
    bar->add(kit::Command::Close, QStringLiteral("fermer"), static_cast<QDialog*>(this), &QDialog::accept);
    layout->addWidget(bar);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("pages"));
    // Links to other sites open in the desktop's browser; the guide's own pages stay here.
    browser_->setOpenExternalLinks(true);
    browser_->setOpenLinks(true);
    layout->addWidget(browser_, 1);

    connect(contents, &QToolButton::clicked, this, [this] { browser_->setSource(QUrl(home())); });
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    back_->setEnabled(false);
    forward_->setEnabled(false);

    browser_->setSource(QUrl(home()));
    kit::sizeScreen(*this, {980, 720});
}

void Guide::showPage(const QString& page) { browser_->setSource(QUrl(QStringLiteral("qrc:/guide/") + page)); }

} // namespace kv
