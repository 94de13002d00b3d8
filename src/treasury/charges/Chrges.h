#pragma once
// The monthly running charges ("Charges courantes mensuelles"): seven charges typed, their monthly total
// kept up to date while typing, and on saving the cost per day; all nine kept in the Permn row. Saving
// without a change writes nothing.
#include "Charges.h"

#include <QDialog>

class QLineEdit;
class QToolButton;

namespace kv {

class Session;
namespace kit { class CommandBar; }

class Chrges : public QDialog {
    Q_OBJECT
public:
    explicit Chrges(Session& session, QWidget* parent = nullptr);

    /// Field `i` (0-based): the seven charges, the monthly total (7) and the total per day (8).
    QLineEdit* field(int i) const { return fields_[i]; }
    QToolButton* command(const QString& objectName) const;

    /// Saves (when a field changed since opening) and closes.
    void save();

private:
    void updateTotal();

    Session& s_;
    kit::CommandBar* bar_;
    std::array<QLineEdit*, charges::kFields> fields_{};
    std::array<QString, charges::kFields> opened_;
};

} // namespace kv
