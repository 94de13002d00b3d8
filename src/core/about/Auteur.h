#pragma once
// The about box: who made the program and how to reach them. A click anywhere on it closes it.
#include <QDialog>

class QLabel;

namespace kv {

class Session;

class Auteur : public QDialog {
    Q_OBJECT
public:
    explicit Auteur(Session& session, QWidget* parent = nullptr);

    /// The six texts: maker's name, street address, city, telephone, office hours, e-mail.
    QList<QLabel*> labels() const { return labels_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QList<QLabel*> labels_;
};

} // namespace kv
