#pragma once
// The archive filter panel of a list with an archive flag ("Filtre d'affichage . . ."): "Archivés",
// "Récents", "Ensemble" and its "Valider" / "Annuler", shown in the list's side panel.
#include "ArchiveFilter.h"

#include <QFrame>

class QRadioButton;
class QToolButton;

namespace kv::kit {

class ArchivePanel : public QFrame {
    Q_OBJECT
public:
    /// The panel "panneauFiltre"; its options "archives", "recents", "ensemble" ("Ensemble" chosen), its
    /// commands "filtreValider" and "filtreAnnuler".
    explicit ArchivePanel(QWidget* parent);

    /// The option of a filter.
    QRadioButton* option(ArchiveFilter filter) const;
    /// The filter the options show.
    ArchiveFilter chosen() const;
    /// Shows a filter's option chosen (as the panel opens on the list's filter).
    void setChosen(ArchiveFilter filter);

    QToolButton* confirmButton() const { return confirm_; }
    QToolButton* cancelButton() const { return cancel_; }

signals:
    void confirmed();
    void cancelled();

private:
    QRadioButton *archives_, *recents_, *ensemble_;
    QToolButton *confirm_, *cancel_;
};

/// The words of a filter as a printed list names its selection ("Archivés", "Récents", "Ensemble").
QString archiveFilterText(ArchiveFilter filter);

} // namespace kv::kit
