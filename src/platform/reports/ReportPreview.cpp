#include "ReportPreview.h"

#include "platform/ui/Ui.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kv::reports {

namespace {

const QString kMessageTitle = QStringLiteral("ZEB");
constexpr double kZoomStep = 1.25;
constexpr double kZoomMin = 0.25;
constexpr double kZoomMax = 4.0;
constexpr int kPrintDpiMax = 300;

QString pdfErrorText(QPdfDocument::Error error)
{
    switch (error) {
    case QPdfDocument::Error::None: return {};
    case QPdfDocument::Error::FileNotFound: return QStringLiteral("fichier introuvable");
    case QPdfDocument::Error::InvalidFileFormat: return QStringLiteral("ce n'est pas un document PDF valide");
    case QPdfDocument::Error::IncorrectPassword:
    case QPdfDocument::Error::UnsupportedSecurityScheme: return QStringLiteral("document protégé");
    case QPdfDocument::Error::DataNotYetAvailable:
    case QPdfDocument::Error::Unknown: break;
    }
    return QStringLiteral("erreur inconnue");
}

QToolButton* toolButton(QWidget* parent, const QString& objectName, const QString& tip, const QIcon& icon,
                        const QString& text = {})
{
    auto* b = new QToolButton(parent);
    b->setObjectName(objectName);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    if (icon.isNull()) {
        b->setText(text);
    } else {
        b->setIcon(icon);
        b->setIconSize(QSize(20, 20));
        b->setMinimumWidth(30);
    }
    b->setMinimumHeight(30);
    return b;
}

// A name that every file system accepts, made from the report's title.
QString suggestedFileName(const QString& title)
{
    QString name = title.simplified();
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar& c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            c = u'_';
    }
    return (name.isEmpty() ? QStringLiteral("Rapport") : name) + QStringLiteral(".pdf");
}

} // namespace

bool savePdfCopy(const QString& source, const QString& target, QString* error)
{
    auto fail = [&](const QString& message) {
        if (error)
            *error = QStringLiteral("Impossible d'enregistrer « %1 » : %2").arg(QDir::toNativeSeparators(target), message);
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    const QByteArray bytes = in.readAll();
    in.close();

    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return fail(out.errorString());
    }
    if (!out.commit())
        return fail(out.errorString());
    return true;
}

ReportPreview::ReportPreview(QWidget* parent)
    : QDialog(parent)
    , document_(new QPdfDocument(this))
    , view_(new QPdfView(this))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Aperçu avant impression"));
    setSizeGripEnabled(true);

    QStyle* st = style();
    first_ = toolButton(this, QStringLiteral("firstPage"), QStringLiteral("Première page"),
                        st->standardIcon(QStyle::SP_MediaSkipBackward));
    previous_ = toolButton(this, QStringLiteral("previousPage"), QStringLiteral("Page précédente"),
                           st->standardIcon(QStyle::SP_MediaSeekBackward));
    next_ = toolButton(this, QStringLiteral("nextPage"), QStringLiteral("Page suivante"),
                       st->standardIcon(QStyle::SP_MediaSeekForward));
    last_ = toolButton(this, QStringLiteral("lastPage"), QStringLiteral("Dernière page"),
                       st->standardIcon(QStyle::SP_MediaSkipForward));
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    pageLabel_->setAlignment(Qt::AlignCenter);
    pageLabel_->setMinimumWidth(pageLabel_->fontMetrics().horizontalAdvance(QStringLiteral("Page 888 / 888")) + 16);

    zoomOut_ = toolButton(this, QStringLiteral("zoomOut"), QStringLiteral("Zoom arrière"), {}, QStringLiteral("−"));
    zoomIn_ = toolButton(this, QStringLiteral("zoomIn"), QStringLiteral("Zoom avant"), {}, QStringLiteral("+"));
    QFont zoomFont = zoomIn_->font();
    zoomFont.setPointSizeF(zoomFont.pointSizeF() * 1.4);
    zoomFont.setBold(true);
    zoomIn_->setFont(zoomFont);
    zoomOut_->setFont(zoomFont);
    fitWidth_ = toolButton(this, QStringLiteral("fitWidth"), QStringLiteral("Ajuster la page à la largeur de la fenêtre"), {},
                           QStringLiteral("Pleine largeur"));
    fitWidth_->setCheckable(true);

    print_ = new QPushButton(QStringLiteral("Imprimer"), this);
    print_->setObjectName(QStringLiteral("print"));
    print_->setIcon(QIcon::fromTheme(QStringLiteral("document-print"), st->standardIcon(QStyle::SP_FileIcon)));
    save_ = new QPushButton(QStringLiteral("Enregistrer en PDF"), this);
    save_->setObjectName(QStringLiteral("save"));
    save_->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    close_ = new QPushButton(QStringLiteral("Fermer"), this);
    close_->setObjectName(QStringLiteral("close"));
    close_->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    for (QPushButton* b : {print_, save_, close_})
        b->setAutoDefault(false);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    bar->addWidget(first_);
    bar->addWidget(previous_);
    bar->addWidget(pageLabel_);
    bar->addWidget(next_);
    bar->addWidget(last_);
    bar->addSpacing(18);
    bar->addWidget(zoomOut_);
    bar->addWidget(zoomIn_);
    bar->addWidget(fitWidth_);
    bar->addStretch(1);
    bar->addWidget(print_);
    bar->addSpacing(6);
    bar->addWidget(save_);
    bar->addSpacing(6);
    bar->addWidget(close_);

    view_->setObjectName(QStringLiteral("pdfView"));
    view_->setDocument(document_);
    view_->setPageMode(QPdfView::PageMode::MultiPage);
    view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    view_->setPageSpacing(12);
    view_->setDocumentMargins(QMargins(16, 16, 16, 16));
    QPalette pal = view_->palette();
    pal.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    pal.setColor(QPalette::Base, QColor(0x80, 0x80, 0x80));
    view_->setPalette(pal);
    view_->viewport()->setAutoFillBackground(true);
    view_->viewport()->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);

    connect(first_, &QToolButton::clicked, this, &ReportPreview::firstPage);
    connect(previous_, &QToolButton::clicked, this, &ReportPreview::previousPage);
    connect(next_, &QToolButton::clicked, this, &ReportPreview::nextPage);
    connect(last_, &QToolButton::clicked, this, &ReportPreview::lastPage);
    connect(zoomIn_, &QToolButton::clicked, this, &ReportPreview::zoomIn);
    connect(zoomOut_, &QToolButton::clicked, this, &ReportPreview::zoomOut);
    connect(fitWidth_, &QToolButton::clicked, this, &ReportPreview::fitWidth);
    connect(print_, &QPushButton::clicked, this, &ReportPreview::print);
    connect(save_, &QPushButton::clicked, this, &ReportPreview::save);
    connect(close_, &QPushButton::clicked, this, &ReportPreview::reject);
    connect(view_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this, &ReportPreview::updateNavigation);
    connect(view_, &QPdfView::zoomModeChanged, this, &ReportPreview::updateNavigation);

    auto shortcut = [this](const QKeySequence& keys, void (ReportPreview::*slot)()) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Print, &ReportPreview::print);
    shortcut(QKeySequence::Save, &ReportPreview::save);
    shortcut(QKeySequence::ZoomIn, &ReportPreview::zoomIn);
    shortcut(QKeySequence::ZoomOut, &ReportPreview::zoomOut);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Home), &ReportPreview::firstPage);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_End), &ReportPreview::lastPage);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), &ReportPreview::previousPage);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), &ReportPreview::nextPage);

    // An A4 page across, most of the screen's height.
    QSize size(900, 1000);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        size = QSize(std::min(900, area.width() * 9 / 10), std::min(1100, area.height() * 9 / 10));
    }
    resize(size);
    updateNavigation();
}

ReportPreview::~ReportPreview()
{
    // The document, the view and its page navigator are destroyed with the window's children, once
    // this part of the window is gone already; the page changes they announce on the way must not
    // reach it.
    disconnect(view_->pageNavigator(), nullptr, this, nullptr);
    disconnect(view_, nullptr, this, nullptr);
    disconnect(document_, nullptr, this, nullptr);
}

void ReportPreview::showPreview(const QString& pdfPath, const QString& title, QWidget* parent)
{
    ReportPreview preview(parent);
    QString error;
    if (!preview.loadPdf(pdfPath, &error)) {
        QMessageBox::critical(parent, kMessageTitle, error);
        return;
    }
    if (!title.isEmpty())
        preview.setWindowTitle(title);
    // Named with the program in a window list, and its commands with their Alt keys, as every screen.
    kv::ui::prepareScreen(preview);
    kv::ui::centreWindow(preview);
    preview.exec();
}

bool ReportPreview::loadPdf(const QString& pdfPath, QString* error)
{
    const QPdfDocument::Error result = document_->load(pdfPath);
    if (result != QPdfDocument::Error::None) {
        if (error)
            *error = QStringLiteral("Impossible d'afficher le rapport « %1 » : %2")
                         .arg(QDir::toNativeSeparators(pdfPath), pdfErrorText(result));
        pdfPath_.clear();
        updateNavigation();
        return false;
    }
    pdfPath_ = pdfPath;
    view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    goToPage(0);
    return true;
}

int ReportPreview::pageCount() const { return pdfPath_.isEmpty() ? 0 : document_->pageCount(); }

int ReportPreview::currentPage() const { return view_->pageNavigator()->currentPage(); }

double ReportPreview::zoomFactor() const { return view_->zoomFactor(); }

void ReportPreview::goToPage(int page)
{
    if (pageCount() == 0)
        return;
    page = std::clamp(page, 0, pageCount() - 1);
    view_->pageNavigator()->jump(page, QPointF(), view_->zoomFactor());
    if (page == 0) // show the grey margin above the first page too
        view_->verticalScrollBar()->setValue(0);
    updateNavigation();
}

void ReportPreview::firstPage() { goToPage(0); }
void ReportPreview::previousPage() { goToPage(currentPage() - 1); }
void ReportPreview::nextPage() { goToPage(currentPage() + 1); }
void ReportPreview::lastPage() { goToPage(pageCount() - 1); }

void ReportPreview::zoomIn()
{
    const int page = currentPage();
    view_->setZoomMode(QPdfView::ZoomMode::Custom);
    view_->setZoomFactor(std::min(kZoomMax, view_->zoomFactor() * kZoomStep));
    goToPage(page);
}

void ReportPreview::zoomOut()
{
    const int page = currentPage();
    view_->setZoomMode(QPdfView::ZoomMode::Custom);
    view_->setZoomFactor(std::max(kZoomMin, view_->zoomFactor() / kZoomStep));
    goToPage(page);
}

void ReportPreview::fitWidth()
{
    const int page = currentPage();
    view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    goToPage(page);
}

void ReportPreview::updateNavigation()
{
    const int count = pageCount();
    const int page = currentPage();
    pageLabel_->setText(count > 0 ? QStringLiteral("Page %1 / %2").arg(page + 1).arg(count) : QString());
    first_->setEnabled(count > 0 && page > 0);
    previous_->setEnabled(count > 0 && page > 0);
    next_->setEnabled(count > 0 && page < count - 1);
    last_->setEnabled(count > 0 && page < count - 1);
    for (QWidget* w : std::initializer_list<QWidget*>{zoomIn_, zoomOut_, fitWidth_, print_, save_})
        w->setEnabled(count > 0);
    fitWidth_->setChecked(view_->zoomMode() == QPdfView::ZoomMode::FitToWidth);
}

bool ReportPreview::printTo(QPrinter& printer, QString* error)
{
    auto fail = [&](const QString& message) {
        if (error)
            *error = QStringLiteral("Impression impossible : ") + message;
        return false;
    };
    const int count = pageCount();
    if (count == 0)
        return fail(QStringLiteral("aucun document"));
    int from = printer.fromPage();
    int to = printer.toPage();
    if (from <= 0 || to <= 0) {
        from = 1;
        to = count;
    }
    from = std::clamp(from, 1, count);
    to = std::clamp(to, from, count);

    // The PDF carries its own margins: print on the whole sheet.
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return fail(QStringLiteral("l'imprimante n'a pas pu être ouverte"));
    const int dpi = std::min(printer.resolution(), kPrintDpiMax);
    for (int page = from - 1; page < to; ++page) {
        if (page > from - 1 && !printer.newPage()) {
            painter.end();
            return fail(QStringLiteral("page suivante refusée par l'imprimante"));
        }
        const QSizeF points = document_->pagePointSize(page);
        const QSize pixels = (points * dpi / 72.0).toSize();
        QPdfDocumentRenderOptions options;
        options.setRenderFlags(QPdfDocumentRenderOptions::RenderFlag::Annotations);
        const QImage rendered = document_->render(page, pixels, options);
        if (rendered.isNull()) {
            painter.end();
            return fail(QStringLiteral("la page %1 n'a pas pu être préparée").arg(page + 1));
        }
        // The page comes with a transparent background: printers are given plain white paper.
        QImage image(rendered.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter(&image).drawImage(0, 0, rendered);
        // Fit the page in the sheet, keeping its proportions.
        const QRect sheet = painter.viewport();
        const QSize fitted = image.size().scaled(sheet.size(), Qt::KeepAspectRatio);
        const QRect target(sheet.x() + (sheet.width() - fitted.width()) / 2, sheet.y() + (sheet.height() - fitted.height()) / 2,
                           fitted.width(), fitted.height());
        painter.drawImage(target, image);
    }
    if (!painter.end())
        return fail(QStringLiteral("l'impression n'a pas pu être terminée"));
    return true;
}

bool ReportPreview::saveTo(const QString& target, QString* error)
{
    if (pdfPath_.isEmpty()) {
        if (error)
            *error = QStringLiteral("Aucun document à enregistrer");
        return false;
    }
    return savePdfCopy(pdfPath_, target, error);
}

void ReportPreview::print()
{
    if (pageCount() == 0)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    const QSizeF first = document_->pagePointSize(0);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(first.width() > first.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setFromTo(1, pageCount());

    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (printer.printRange() == QPrinter::AllPages)
        printer.setFromTo(1, pageCount());
    else if (printer.printRange() == QPrinter::CurrentPage)
        printer.setFromTo(currentPage() + 1, currentPage() + 1);

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool ok = printTo(printer, &error);
    QGuiApplication::restoreOverrideCursor();
    if (!ok)
        QMessageBox::critical(this, kMessageTitle, error);
}

void ReportPreview::save()
{
    if (pageCount() == 0)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString target = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer en PDF"),
                                                  QDir(folder).filePath(suggestedFileName(windowTitle())),
                                                  QStringLiteral("Documents PDF (*.pdf)"));
    if (target.isEmpty())
        return;
    if (QFileInfo(target).suffix().isEmpty())
        target += QStringLiteral(".pdf");
    QString error;
    if (!saveTo(target, &error))
        QMessageBox::critical(this, kMessageTitle, error);
}

} // namespace kv::reports
