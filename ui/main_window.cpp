#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <charconv>
#include <cmath>

#include "ui/twips.h"

namespace agrimor {

namespace {

constexpr double kFallbackDpi = 96.0;
// Stored values beyond this many twips (over 17 m) cannot be a window; they are treated as junk.
constexpr float kMaxTwips = 1.0e6f;

const QString kGroup = QStringLiteral("Settings");

struct PlacementKey {
    QString name;
    float fallback;
};

const PlacementKey kLeft{QStringLiteral("MainLeft"), 1000.0f};
const PlacementKey kTop{QStringLiteral("MainTop"), 1000.0f};
const PlacementKey kWidth{QStringLiteral("MainWidth"), 6500.0f};
const PlacementKey kHeight{QStringLiteral("MainHeight"), 6500.0f};

struct Dpi {
    double x = kFallbackDpi;
    double y = kFallbackDpi;
};

Dpi logicalDpi(const QWidget& widget) {
    Dpi dpi;
    if (const QScreen* screen = widget.screen()) {
        if (screen->logicalDotsPerInchX() > 0)
            dpi.x = screen->logicalDotsPerInchX();
        if (screen->logicalDotsPerInchY() > 0)
            dpi.y = screen->logicalDotsPerInchY();
    }
    return dpi;
}

float readTwips(const QSettings& settings, const PlacementKey& key) {
    const QString text = settings.value(key.name).toString().trimmed();
    bool ok = false;
    const float value = text.toFloat(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > kMaxTwips)
        return key.fallback;
    return value;
}

// The shortest decimal text that reads back as the same 32-bit float.
QString floatText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : MainWindow(std::make_unique<QSettings>(QStringLiteral("Agrimor"), QStringLiteral("Agrimor")),
                 parent) {}

MainWindow::MainWindow(std::unique_ptr<QSettings> settings, QWidget* parent)
    : QMainWindow(parent), settings_(std::move(settings)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Agrimor"));

    mdiArea_ = new QMdiArea(this);
    setCentralWidget(mdiArea_);

    QAction* sair = menuBar()->addAction(QStringLiteral("&Sair"));
    sair->setObjectName(QStringLiteral("sair"));
    connect(sair, &QAction::triggered, this, &QWidget::close);

    for (std::size_t i = 0; i < panels_.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("panel%1").arg(i + 1));
        // Permanent widgets keep their text when something shows a temporary status message.
        statusBar()->addPermanentWidget(panel, i == 0 ? 1 : 0);
        panels_[i] = panel;
    }

    restorePlacement();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addScreenAction(const QString& objectName, const QString& caption) {
    QAction* action = menuBar()->addAction(caption);
    action->setObjectName(objectName);
    return action;
}

void MainWindow::setVersionText(const QString& version) {
    panels_[5]->setText(QStringLiteral("Versão: ") + version);
}

QLabel* MainWindow::statusPanel(int number) const {
    if (number < 1 || number > static_cast<int>(panels_.size()))
        return nullptr;
    return panels_[static_cast<std::size_t>(number - 1)];
}

void MainWindow::restorePlacement() {
    settings_->beginGroup(kGroup);
    const float left = readTwips(*settings_, kLeft);
    const float top = readTwips(*settings_, kTop);
    const float width = readTwips(*settings_, kWidth);
    const float height = readTwips(*settings_, kHeight);
    settings_->endGroup();

    const Dpi dpi = logicalDpi(*this);
    move(twipsToPixels(left, dpi.x), twipsToPixels(top, dpi.y));
    resize(twipsToPixels(width, dpi.x), twipsToPixels(height, dpi.y));
}

void MainWindow::storePlacement() {
    if (isMinimized())
        return;
    const Dpi dpi = logicalDpi(*this);
    settings_->beginGroup(kGroup);
    const auto twips = [](int pixels, double dpi) {
        return floatText(static_cast<float>(pixelsToTwips(pixels, dpi)));
    };
    settings_->setValue(kLeft.name, twips(x(), dpi.x));
    settings_->setValue(kTop.name, twips(y(), dpi.y));
    settings_->setValue(kWidth.name, twips(width(), dpi.x));
    settings_->setValue(kHeight.name, twips(height(), dpi.y));
    settings_->endGroup();
    settings_->sync();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Every open screen closes with the frame; one that refuses keeps the program running.
    mdiArea_->closeAllSubWindows();
    if (!mdiArea_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    storePlacement();
    event->accept();
}

}  // namespace agrimor
