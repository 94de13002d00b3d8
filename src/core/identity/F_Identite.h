#pragma once
// The firm's identity ("Fichiers" > "Paramétrages" > "Identité de l'entreprise"): the four texts that the
// main window's header and every printed document show (reports ch1, ch2, ch3 and ch30), kept in the
// identity records of ZEB.CFG where start-up reads them.
#include <QDialog>

#include <array>

class QLineEdit;

namespace kv {

class Session;
namespace kit { class ChangeWatch; }

class F_Identite : public QDialog {
    Q_OBJECT
public:
    /// The fields shown: identity field number, label, and what it is used for.
    struct Field {
        int number;
        const char* label;
        const char* use;
    };
    static const std::array<Field, 4> kFields;

    explicit F_Identite(Session& session, QWidget* parent = nullptr);

    QLineEdit* field(int number) const;

    /// Writes the texts typed; false (with the message) when the file cannot be written.
    bool save();
    void reject() override;

private:
    void confirm();

    Session& s_;
    std::array<QLineEdit*, 4> fields_{};
    kit::ChangeWatch* typed_ = nullptr;
};

} // namespace kv
