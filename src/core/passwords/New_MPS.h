#pragma once
// The password screen: changes the access password of level 1 or level 2.
#include <QDialog>
#include <array>

class QLineEdit;
class QToolButton;
class QTabWidget;

namespace kv {

class Session;

class New_MPS : public QDialog {
    Q_OBJECT
public:
    explicit New_MPS(Session& session, QWidget* parent = nullptr);

    struct LevelTab {
        QLineEdit* current = nullptr;
        QLineEdit* fresh = nullptr;
        QLineEdit* confirmation = nullptr;
        QToolButton* save = nullptr;
        QToolButton* close = nullptr;
    };
    const LevelTab& tab(int level) const { return tabs_[level - 1]; }
    QTabWidget* tabs() const { return tabWidget_; }
    int failures() const { return failures_; }

    /// The save command of level 1 or 2.
    void save(int level);

private:
    QWidget* buildTab(int level);
    Session& s_;
    QTabWidget* tabWidget_;
    std::array<LevelTab, 2> tabs_;
    std::array<QString, 2> stored_;
    int failures_ = 0;
};

} // namespace kv
