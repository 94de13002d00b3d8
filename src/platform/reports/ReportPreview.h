#pragma once
// The preview window of a rendered report: the PDF's pages, navigation, zoom, printing and saving.
#include <QDialog>
#include <QString>

class QLabel;
class QPdfDocument;
class QPdfView;
class QPrinter;
class QToolButton;
class QPushButton;

namespace kv::reports {

/// Copies a PDF to `target`, replacing it atomically (a temporary file in the target's folder is
/// renamed over it). False with a message in *error when it fails; the target is then untouched.
bool savePdfCopy(const QString& source, const QString& target, QString* error);

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreview(QWidget* parent = nullptr);
    ~ReportPreview() override;

    /// Shows the report `pdfPath` modal and centred; tells the user when the file cannot be shown.
    static void showPreview(const QString& pdfPath, const QString& title, QWidget* parent);

    /// Opens the PDF to show; false with a message in *error when it cannot be read.
    bool loadPdf(const QString& pdfPath, QString* error);

    int pageCount() const;
    int currentPage() const; ///< 0-based
    double zoomFactor() const;

    /// Prints pages onto a printer that is set up already (page range taken from it), each page as
    /// a picture at the printer's resolution, at most 300 dpi. False with a message when it fails.
    bool printTo(QPrinter& printer, QString* error);
    /// Saves a copy of the shown PDF.
    bool saveTo(const QString& target, QString* error);

public slots:
    void goToPage(int page); ///< 0-based, kept within the document
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    void fitWidth();

private:
    void print();
    void save();
    void updateNavigation();

    QPdfDocument* document_;
    QPdfView* view_;
    QString pdfPath_;
    QToolButton* first_;
    QToolButton* previous_;
    QToolButton* next_;
    QToolButton* last_;
    QLabel* pageLabel_;
    QToolButton* zoomIn_;
    QToolButton* zoomOut_;
    QToolButton* fitWidth_;
    QPushButton* print_;
    QPushButton* save_;
    QPushButton* close_;
};

/// Shows a rendered report; the function the application hands to the ui seam.
inline void showPreview(const QString& pdfPath, const QString& title, QWidget* parent = nullptr)
{
    ReportPreview::showPreview(pdfPath, title, parent);
}

} // namespace kv::reports
