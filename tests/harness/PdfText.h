#pragma once
// The text of a printed document, for tests that read what a report says.
#include <QPdfDocument>
#include <QString>

namespace kv::test {

/// The text of a PDF, page after page, its no-break blanks (thousands of amounts) read as plain blanks;
/// "<no document: path>" when the file cannot be read, so that a missing document never reads as an
/// empty one.
inline QString pdfText(const QString& path)
{
    QPdfDocument pdf;
    if (pdf.load(path) != QPdfDocument::Error::None)
        return QStringLiteral("<no document: %1>").arg(path);
    QString text;
    for (int p = 0; p < pdf.pageCount(); ++p)
        text += pdf.getAllText(p).text() + u'\n';
    return text.replace(QChar(0x00A0), u' ').replace(QChar(0x202F), u' ');
}

/// The number of pages of a PDF; 0 when it cannot be read.
inline int pdfPages(const QString& path)
{
    QPdfDocument pdf;
    return pdf.load(path) == QPdfDocument::Error::None ? pdf.pageCount() : 0;
}

} // namespace kv::test
