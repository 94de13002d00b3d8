// HTML -> PDF: the filled template is laid out by QTextDocument on A4 pages at the PDF's resolution;
// tables split across pages and repeat their <thead> rows; every page gets "Page n / N" at its foot.
#include "ReportEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

namespace kv::reports {

namespace {

// DejaVu Sans carries the Latin and Arabic letters the reports print.
QFont reportFont(double pointSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

bool renderPdf(const QString& html, const Template& tpl, const QString& pdfOut, QString* error)
{
    auto fail = [&](const QString& message) {
        if (error)
            *error = QStringLiteral("Impossible d'écrire « %1 » : %2").arg(QDir::toNativeSeparators(pdfOut), message);
        return false;
    };

    QSaveFile out(pdfOut);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());

    QPdfWriter writer(&out);
    writer.setTitle(tpl.title);
    writer.setCreator(QStringLiteral("Kavorel"));
    // The whole sheet is the paint area; the margins are the text frame's, so the footer can be drawn
    // inside the bottom margin.
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), tpl.orientation, QMarginsF(), QPageLayout::Millimeter));

    QTextDocument doc;
    doc.setDefaultFont(reportFont(10));
    doc.documentLayout()->setPaintDevice(&writer);
    if (!tpl.path.isEmpty())
        doc.setBaseUrl(QUrl::fromLocalFile(QFileInfo(tpl.path).absolutePath() + u'/'));
    doc.setHtml(html);

    // Lengths in the HTML are scaled to the writer's resolution by the layout; the page is given in
    // device dots. The document is laid out on the text area alone, page after page, and each page is
    // drawn shifted into the margins.
    const double dotsPerMm = writer.resolution() / 25.4;
    const QSizeF sheet(writer.width(), writer.height());
    const QMarginsF margins = tpl.marginsMm * dotsPerMm;
    const QSizeF textArea(sheet.width() - margins.left() - margins.right(),
                          sheet.height() - margins.top() - margins.bottom());
    doc.setDocumentMargin(0);
    doc.setPageSize(textArea);
    const int pageCount = doc.pageCount();

    QPainter painter;
    if (!painter.begin(&writer))
        return fail(QStringLiteral("le document PDF ne peut pas être commencé"));

    const QFont footerFont = reportFont(8);
    const QRectF footerBox(0, sheet.height() - margins.bottom() / 2 - 3 * dotsPerMm, sheet.width(), 6 * dotsPerMm);

    for (int i = 0; i < pageCount; ++i) {
        if (i > 0)
            writer.newPage();
        const QRectF page(QPointF(0, i * textArea.height()), textArea);
        painter.save();
        painter.translate(margins.left(), margins.top() - page.top());
        painter.setClipRect(page);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = page;
        context.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setFont(footerFont);
        painter.setPen(QColor(0x40, 0x40, 0x40));
        painter.drawText(footerBox, Qt::AlignCenter, QStringLiteral("Page %1 / %2").arg(i + 1).arg(pageCount));
    }
    if (!painter.end())
        return fail(QStringLiteral("le document PDF ne peut pas être terminé"));
    if (!out.commit())
        return fail(out.errorString());
    return true;
}

} // namespace kv::reports
