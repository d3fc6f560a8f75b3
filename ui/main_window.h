#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QSettings;

namespace agrimor {

// The program's main window: a multiple-document frame with the menu bar and a status bar of six
// panels, the sixth showing the version. It remembers its position and size between runs.
//
// Placement is kept in the settings group "Settings" as "MainLeft", "MainTop", "MainWidth" and
// "MainHeight", in twips (1/1440 inch), each stored as the decimal text of a 32-bit float. It is
// applied on construction (first run: 1000, 1000, 6500 by 6500) and stored on close, except when
// the window is minimised. Position and size are those of the window itself (a maximised window
// stores its maximised edges and size).
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Keeps the placement in the user's settings store (organisation and application "Agrimor").
    explicit MainWindow(QWidget* parent = nullptr);
    // Keeps the placement in `settings`, which the window takes over.
    explicit MainWindow(std::unique_ptr<QSettings> settings, QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return mdiArea_; }

    // Adds a top-level menu item after the existing ones; the caller connects its triggered().
    QAction* addScreenAction(const QString& objectName, const QString& caption);

    // Shows "Versão: " and `version` in the sixth status panel.
    void setVersionText(const QString& version);

    // Status panels 1 to 6; nullptr for any other number.
    QLabel* statusPanel(int number) const;

    // Applies the stored placement (defaults for keys absent or not numeric).
    void restorePlacement();
    // Stores the current placement unless the window is minimised.
    void storePlacement();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<QSettings> settings_;
    QMdiArea* mdiArea_ = nullptr;
    std::array<QLabel*, 6> panels_{};
};

}  // namespace agrimor
