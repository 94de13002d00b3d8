#pragma once
// A picture that acts as a button: it is clicked like a button, shows its picture greyed when disabled,
// and draws a border while "bordered". Entering it with the pointer borders it; the screen that holds
// it removes the border when the pointer moves over the surface behind it.
#include <QAbstractButton>
#include <QPixmap>

namespace kv {

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(const QPixmap& picture, QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return picture_; }

    bool isBordered() const { return bordered_; }
    void setBordered(bool bordered);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QPixmap picture_;
    bool bordered_ = false;
    bool keyboardFocus_ = false;  ///< reached with Tab: a dotted frame shows where the keyboard is
};

/// Removes the border of every button in `buttons` when the pointer moves over one of `surfaces`
/// (mouse tracking is turned on for them). The filter belongs to `owner`.
void clearBordersOnMove(QObject* owner, const QList<QWidget*>& surfaces, const QList<PictureButton*>& buttons);

} // namespace kv
