#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QStatusBar>

#include "core/DataManager.h"
#include "screenlogic/TextTemplate.h"
#include "screens/TopVC.h"

namespace kelvadeck {

MainWindow::MainWindow(ScreenContext& context, QWidget* parent) : QMainWindow(parent), m_ctx(context) {
    setObjectName(QStringLiteral("MainWindow"));
    // The picture of the device fills the window, scaled to fit.
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("centralFrame"));
    frame->setStyleSheet(QStringLiteral("#centralFrame { background: #e9ecf0; }"));
    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    m_top = new TopVC(m_ctx, frame);
    layout->addWidget(m_top, 0, 0);
    setCentralWidget(frame);
    statusBar();
    windowDidLoad();
}

void MainWindow::windowDidLoad() {
    const StringTable fallback;
    const StringTable& s = m_ctx.pDM ? m_ctx.pDM->Strings() : fallback;
    QString title = QStringLiteral("%1  %2").arg(QString::fromStdString(s.Get("APPLICATION_NAME")), QStringLiteral(KELVADECK_VERSION));
    auto* note = findChild<QLabel*>(QStringLiteral("lblEmulatorNote"));
    if (note != nullptr) note->setVisible(m_ctx.emulated);
    if (m_ctx.emulated) {
        title += QStringLiteral("  ") + QString::fromStdString(s.Get("EMULATOR_WINDOW_SUFFIX"));
        if (note == nullptr) {
            note = new QLabel(this);
            note->setObjectName(QStringLiteral("lblEmulatorNote"));
            note->setStyleSheet(QStringLiteral("color:#8a4b00; font-weight:bold; padding: 2px 8px;"));
            statusBar()->addWidget(note, 1);
        }
        std::string text = s.Get("EMULATOR_STATUS_NO_IMAGE");
        if (!m_ctx.emulatorImage.empty()) {
            text = TextTemplate::Fill(s.Get(m_ctx.savedOnRequest ? "EMULATOR_STATUS_BACKUP" : "EMULATOR_STATUS_IMAGE"),
                                      {m_ctx.emulatorImage});
            title += QStringLiteral("  \u2014  ") + QFileInfo(QString::fromStdString(m_ctx.emulatorImage)).fileName();
            // The file's unsaved changes mark it ("[*]" is where the mark goes).
            if (m_ctx.savedOnRequest) title += QStringLiteral("[*]");
        }
        note->setText(QString::fromStdString(text));
    }
    setWindowTitle(title);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_hideOnClose && m_hideOnClose()) {
        event->ignore();
        hide();
        return;
    }
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace kelvadeck
