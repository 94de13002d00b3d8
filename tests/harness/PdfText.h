#pragma once
// The text of a printed document, for tests that read what a report says.
#include <QPdfDocument>
#include <QString>
#include <QTest>

namespace kv::test {

/// The text of a PDF, page after page, its no-break blanks (thousands of amounts) read as plain blanks.
/// A file that cannot be read fails the running test (naming it) and gives an empty text: a missing
/// document never passes for one that lacks a word.
inline QString pdfText(const QString& path)
{
    QPdfDocument pdf;
    if (pdf.load(path) != QPdfDocument::Error::None) {
        if (QTest::currentTestFunction())
            QTest::qFail(qPrintable(QStringLiteral("cannot read the document %1").arg(path)), __FILE__, __LINE__);
        return {};
    }
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
