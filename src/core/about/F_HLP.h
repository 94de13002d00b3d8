#pragma once
// The short presentation of the program: a fixed text of twenty lines and a close picture.
#include <QDialog>

class QLabel;
class QTableView;

namespace kv {

class PictureButton;
class Session;

class F_HLP : public QDialog {
    Q_OBJECT
public:
    explicit F_HLP(Session& session, QWidget* parent = nullptr);

    static constexpr int kRows = 20;
    /// The text of each of the twenty lines (the grid's middle column).
    static QStringList lines();

    QLabel* heading() const { return heading_; }
    QTableView* grid() const { return grid_; }
    /// The close picture (Image1, element 2).
    PictureButton* closePicture() const { return close_; }

private:
    QLabel* heading_;
    QTableView* grid_;
    PictureButton* close_;
};

} // namespace kv
