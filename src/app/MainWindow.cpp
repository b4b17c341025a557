#include "app/MainWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QStatusBar>

#include "app/DataManager.h"
#include "screenlogic/TextTemplate.h"
#include "screens/TopVC.h"

namespace kelvadeck {

MainWindow::MainWindow(ScreenContext& context, QWidget* parent) : QMainWindow(parent), m_ctx(context) {
    setObjectName(QStringLiteral("MainWindow"));
    // The picture of the device keeps its size; a larger window centres it.
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("centralFrame"));
    frame->setStyleSheet(QStringLiteral("#centralFrame { background: #e9ecf0; }"));
    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    m_top = new TopVC(m_ctx, frame);
    layout->addWidget(m_top, 0, 0, Qt::AlignCenter);
    setCentralWidget(frame);
    windowDidLoad();
}

void MainWindow::windowDidLoad() {
    const StringTable fallback;
    const StringTable& s = m_ctx.pDM ? m_ctx.pDM->Strings() : fallback;
    QString title = QStringLiteral("%1  %2").arg(QString::fromStdString(s.Get("APPLICATION_NAME")), QStringLiteral(KELVADECK_VERSION));
    if (m_ctx.emulated) {
        title += QStringLiteral("  ") + QString::fromStdString(s.Get("EMULATOR_WINDOW_SUFFIX"));
        auto* note = findChild<QLabel*>(QStringLiteral("lblEmulatorNote"));
        if (note == nullptr) {
            note = new QLabel(this);
            note->setObjectName(QStringLiteral("lblEmulatorNote"));
            note->setStyleSheet(QStringLiteral("color:#8a4b00; font-weight:bold; padding: 2px 8px;"));
            statusBar()->addWidget(note, 1);
        }
        note->setText(QString::fromStdString(m_ctx.emulatorImage.empty()
                                                 ? s.Get("EMULATOR_STATUS_NO_IMAGE")
                                                 : TextTemplate::Fill(s.Get("EMULATOR_STATUS_IMAGE"), {m_ctx.emulatorImage})));
    }
    setWindowTitle(title);
}

}  // namespace kelvadeck
