#pragma once
// The vehicle file: the expenses, receipts, insurance, inspections, tax stickers, driver assignments
// and last oil change of the vehicle whose number is in `vehicule_courant`.
#include <QDialog>

namespace kv {

class Session;

class Zoom_V : public QDialog {
    Q_OBJECT
public:
    explicit Zoom_V(Session& session, QWidget* parent = nullptr);
    ~Zoom_V() override;

private:
    Session& s_;
};

} // namespace kv
