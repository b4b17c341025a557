#include "screens/LEDColorSettingVC.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "model/Constants.h"
#include "screenlogic/JobMessage.h"
#include "screenlogic/LedColorTarget.h"
#include "screenlogic/EditedItemText.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

using C = Constants;

struct ChannelDef {
    const char* suffix;
    const char* captionKey;
    int min;
    int max;
    const char* sliderColor;
};

const std::array<ChannelDef, 3> kChannels = {{
    {"R", "LED_COLOR_SETTING_R", C::COLOR_SLIDEBAR_R_MIN, C::COLOR_SLIDEBAR_R_MAX, "#d93025"},
    {"G", "LED_COLOR_SETTING_G", C::COLOR_SLIDEBAR_G_MIN, C::COLOR_SLIDEBAR_G_MAX, "#1e8e3e"},
    {"B", "LED_COLOR_SETTING_B", C::COLOR_SLIDEBAR_B_MIN, C::COLOR_SLIDEBAR_B_MAX, "#1a73e8"},
}};

}  // namespace

LEDColorSettingVC::LEDColorSettingVC(ScreenContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("LEDColorSettingVC"));
    setModal(true);
    ScreenJob::Traces traces;
    traces.timerStarted = "LedSetting :  StartTimerForUpdateWindow";
    traces.timerStopped = "LedSetting :  StopTimerForUpdateWindow";
    traces.connection = "-[LEDColorSettingVC UpdateAppWindow]";
    traces.dataUpdate = "LED setting : Get USB data update flag!";
    traces.stateInDataUpdate = true;
    m_job = new ScreenJob(m_ctx, traces, this);
    connect(m_job, &ScreenJob::blockingChanged, this, &LEDColorSettingVC::BlockedControl);
    m_channels[0].value = &m_nR;
    m_channels[1].value = &m_nG;
    m_channels[2].value = &m_nB;
    BuildControls();
    InitControl();
    m_job->StartTimer();
}

LEDColorSettingVC::~LEDColorSettingVC() = default;

void LEDColorSettingVC::BuildControls() {
    auto* root = new QVBoxLayout(this);
    m_boxLEDColor = new QGroupBox(this);
    m_boxLEDColor->setObjectName(QStringLiteral("m_boxLEDColor"));
    auto* boxLayout = new QHBoxLayout(m_boxLEDColor);
    m_cvColorSelectArea = new QFrame(m_boxLEDColor);
    m_cvColorSelectArea->setObjectName(QStringLiteral("m_cvColorSelectArea"));
    auto* grid = new QGridLayout(m_cvColorSelectArea);
    grid->setHorizontalSpacing(8);
    for (size_t i = 0; i < kChannels.size(); ++i) {
        const ChannelDef& def = kChannels[i];
        Channel& ch = m_channels[i];
        const QString sfx = QString::fromLatin1(def.suffix);
        const int row = static_cast<int>(i);
        ch.name = new QLabel(m_cvColorSelectArea);
        ch.name->setObjectName(QStringLiteral("m_lblColorName_") + sfx);
        ch.name->setMinimumWidth(56);
        ch.min = new QLabel(QString::number(def.min), m_cvColorSelectArea);
        ch.min->setObjectName(QStringLiteral("m_lblMin_") + sfx);
        ch.slider = new QSlider(Qt::Horizontal, m_cvColorSelectArea);
        ch.slider->setObjectName(QStringLiteral("m_sldColor_") + sfx);
        ch.slider->setMinimumWidth(260);
        ch.slider->setStyleSheet(
            QStringLiteral("QSlider::groove:horizontal { height: 6px; background: #d5d9df; border-radius: 3px; }"
                           "QSlider::sub-page:horizontal { background: %1; border-radius: 3px; }"
                           "QSlider::handle:horizontal { width: 16px; margin: -6px 0; border-radius: 8px;"
                           " background: white; border: 1px solid #8a919b; }"
                           "QSlider::sub-page:horizontal:disabled { background: #b9bec6; }")
                .arg(QString::fromLatin1(def.sliderColor)));
        ch.max = new QLabel(QString::number(def.max), m_cvColorSelectArea);
        ch.max->setObjectName(QStringLiteral("m_lblMax_") + sfx);
        ch.stepper = new QSpinBox(m_cvColorSelectArea);
        ch.stepper->setObjectName(QStringLiteral("m_stpValue_") + sfx);
        ch.stepper->setAlignment(Qt::AlignRight);
        grid->addWidget(ch.name, row, 0);
        grid->addWidget(ch.min, row, 1);
        grid->addWidget(ch.slider, row, 2);
        grid->addWidget(ch.max, row, 3);
        grid->addWidget(ch.stepper, row, 4);

        connect(ch.slider, &QSlider::valueChanged, this, [this, i](int v) { SetChannel(m_channels[i], v, m_channels[i].slider); });
        connect(ch.stepper, &QSpinBox::valueChanged, this, [this, i](int v) { SetChannel(m_channels[i], v, m_channels[i].stepper); });
    }
    boxLayout->addWidget(m_cvColorSelectArea, 1);
    m_cvSwatch = new QFrame(m_boxLEDColor);
    m_cvSwatch->setObjectName(QStringLiteral("cvSwatch"));
    m_cvSwatch->setFixedSize(72, 72);
    boxLayout->addWidget(m_cvSwatch, 0, Qt::AlignVCenter);
    root->addWidget(m_boxLEDColor);

    m_boxBrightness = new QGroupBox(this);
    m_boxBrightness->setObjectName(QStringLiteral("m_boxBrightness"));
    auto* brightLayout = new QHBoxLayout(m_boxBrightness);
    m_cvBrightnessArea = new QFrame(m_boxBrightness);
    m_cvBrightnessArea->setObjectName(QStringLiteral("m_cvBrightnessArea"));
    auto* choices = new QHBoxLayout(m_cvBrightnessArea);
    m_rbtnBrightness = new QButtonGroup(this);
    m_rbtnBrightness->setObjectName(QStringLiteral("m_rbtnBrightness"));
    const std::array<std::pair<int, const char*>, 3> levels = {{{C::LED_BRIGHTNESS_LEVEL_DARK, "LED_BRIGHTNESS_LEVEL_DARK"},
                                                                 {C::LED_BRIGHTNESS_LEVEL_NORMAL, "LED_BRIGHTNESS_LEVEL_NORMAL"},
                                                                 {C::LED_BRIGHTNESS_LEVEL_LIGHT, "LED_BRIGHTNESS_LEVEL_LIGHT"}}};
    for (const auto& [level, key] : levels) {
        auto* radio = new QRadioButton(m_cvBrightnessArea);
        radio->setObjectName(QStringLiteral("m_rbtnBrightness_%1").arg(level));
        radio->setProperty("textKey", QString::fromLatin1(key));
        m_rbtnBrightness->addButton(radio, level);
        choices->addWidget(radio);
    }
    choices->addStretch(1);
    brightLayout->addWidget(m_cvBrightnessArea);
    root->addWidget(m_boxBrightness);
    connect(m_rbtnBrightness, &QButtonGroup::idClicked, this, &LEDColorSettingVC::ClickBrightness);

    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName(QStringLiteral("m_lblMessage"));
    m_lblMessage->setWordWrap(true);
    m_lblMessage->setStyleSheet(QStringLiteral("color:#b3261e;"));
    root->addWidget(m_lblMessage);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel = new QPushButton(this);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnSubmit = new QPushButton(this);
    m_btnSubmit->setObjectName(QStringLiteral("m_btnSubmit"));
    m_btnSubmit->setDefault(true);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnSubmit);
    root->addLayout(buttons);
    connect(m_btnCancel, &QPushButton::clicked, this, &LEDColorSettingVC::ClickCancel);
    connect(m_btnSubmit, &QPushButton::clicked, this, &LEDColorSettingVC::ClickSubmit);
}

void LEDColorSettingVC::SetSelectTagNo(long tag, int fromVCID) {
    m_nFromVCID = fromVCID;
    m_lCurrentSelectColorView = tag;
    DataManager* dm = m_ctx.pDM;
    LedColorTarget::Color color;
    if (dm != nullptr && LedColorTarget::Read(dm->g_arPSI, dm->g_pSSI.bMode, tag, color)) {
        uint8_t r = 0, g = 0, b = 0;
        dm->pUtl().FlashRGB_to_BarRGB(color.dutyR, color.dutyG, color.dutyB, r, g, b);
        m_nR = r;
        m_nG = g;
        m_nB = b;
        m_nBrightness = color.brightness;
        m_nOldR = m_nR;
        m_nOldG = m_nG;
        m_nOldB = m_nB;
        m_nOldBrightness = m_nBrightness;
    }
    m_stored = {m_nR, m_nG, m_nB, m_nBrightness};
    InitControl();
    const bool usable = dm != nullptr && dm->pUSBHID().bConnected() && LedColorTarget::IsValid(tag) && dm->bDataInitialize();
    BlockedControl(!usable);
}

void LEDColorSettingVC::InitControl() {
    const StringTable& s = m_ctx.Strings();
    const uint8_t mode = m_ctx.pDM ? m_ctx.pDM->g_pSSI.bMode : 0;
    setWindowTitle(Q(EditedItemText::LedColour(m_lCurrentSelectColorView, mode, s)));
    m_boxLEDColor->setTitle(Q(s.Get("LED_COLOR_SETTING_TITLE")));
    m_boxBrightness->setTitle(Q(s.Get("LED_BRIGHTNESS_TITLE")));
    for (QAbstractButton* b : m_rbtnBrightness->buttons()) b->setText(Q(s.Get(b->property("textKey").toString().toStdString())));
    m_btnCancel->setText(Q(s.Get("BTN_CANCEL")));
    m_btnSubmit->setText(Q(s.Get("BTN_SUBMIT")));
    for (size_t i = 0; i < m_channels.size(); ++i) {
        Channel& ch = m_channels[i];
        const QSignalBlocker a(ch.slider), b(ch.stepper);
        ch.name->setText(Q(s.Get(kChannels[i].captionKey)));
        ch.slider->setRange(kChannels[i].min, kChannels[i].max);
        ch.stepper->setRange(kChannels[i].min, kChannels[i].max);
        ch.slider->setValue(static_cast<int>(*ch.value));
        ch.stepper->setValue(static_cast<int>(*ch.value));
    }
    if (QAbstractButton* b = m_rbtnBrightness->button(static_cast<int>(m_nBrightness))) {
        const QSignalBlocker quiet(m_rbtnBrightness);
        b->setChecked(true);
    }
    ShowSwatch();
}

void LEDColorSettingVC::ShowSwatch() {
    if (m_ctx.pDM == nullptr) return;
    double r = 0, g = 0, b = 0;
    m_ctx.pDM->pUtl().FlashRGB_to_uiRGB(static_cast<uint8_t>(m_nR), static_cast<uint8_t>(m_nG), static_cast<uint8_t>(m_nB), r, g, b);
    const QColor c = QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b));
    m_cvSwatch->setStyleSheet(QStringLiteral("#cvSwatch { background:%1; border:3px solid #2b2f36; border-radius:36px; }").arg(c.name()));
}

void LEDColorSettingVC::BlockedControl(bool block) {
    for (Channel& ch : m_channels) {
        ch.stepper->setEnabled(!block);
        ch.slider->setEnabled(!block);
    }
    for (QAbstractButton* b : m_rbtnBrightness->buttons()) b->setEnabled(!block);
    m_btnCancel->setEnabled(!block);
    m_btnSubmit->setEnabled(!block);
}

void LEDColorSettingVC::SetChannel(Channel& ch, long value, QObject* source) {
    const long v = std::clamp(value, static_cast<long>(ch.slider->minimum()), static_cast<long>(ch.slider->maximum()));
    *ch.value = v;
    if (source != ch.slider) {
        const QSignalBlocker quiet(ch.slider);
        ch.slider->setValue(static_cast<int>(v));
    }
    if (source != ch.stepper) {
        const QSignalBlocker quiet(ch.stepper);
        ch.stepper->setValue(static_cast<int>(v));
    }
    ShowSwatch();
    ChangeRGBValue();
}

void LEDColorSettingVC::ChangeRGBValue() {
    if (m_nR == m_nOldR && m_nG == m_nOldG && m_nB == m_nOldB && m_nBrightness == m_nOldBrightness) return;
    m_nOldR = m_nR;
    m_nOldG = m_nG;
    m_nOldB = m_nB;
    RequestPreview();
}

void LEDColorSettingVC::ClickBrightness(int level) {
    m_nBrightness = level;
    m_ctx.Trace("ClickBrightness TagNo = " + std::to_string(level));
    if (m_nR == m_nOldR && m_nG == m_nOldG && m_nB == m_nOldB && m_nBrightness == m_nOldBrightness) {
        m_ctx.Trace("no change brightness : R=" + std::to_string(m_nR) + ", G=" + std::to_string(m_nG) + ", B=" + std::to_string(m_nB) +
            ", Bright=" + std::to_string(m_nBrightness));
        return;
    }
    m_nOldBrightness = m_nBrightness;
    RequestPreview();
}

void LEDColorSettingVC::RequestPreview() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return;
    m_ctx.Trace("Request preview : R=" + std::to_string(m_nOldR) + ", G=" + std::to_string(m_nOldG) + ", B=" + std::to_string(m_nOldB) +
        ", Bright=" + std::to_string(m_nOldBrightness));
    // Slider values go to the device as duties: both run from 0 to 100.
    dm->pComQue().SetLedPreview(static_cast<uint8_t>(m_nOldR), static_cast<uint8_t>(m_nOldG), static_cast<uint8_t>(m_nOldB),
                                static_cast<uint8_t>(m_nOldBrightness));
    if (!dm->pUSBHID().StartCom()) {
        dm->pComQue().Reset();
        BlockedControl(true);
        return;
    }
    // A lost preview needs no dialog; the line tells what happened.
    const ScreenJob::Ended told = [this](const ComResult& result) {
        m_lblMessage->setText(Q(JobMessage::Outcome("JOB_NAME_LED_PREVIEW", result, m_ctx.Strings())));
    };
    m_job->Watch({LEDSTS_PREVIEW, "JOB_NAME_LED_PREVIEW", told, told, false});
}

void LEDColorSettingVC::ClickCancel() {
    m_ctx.Trace("LEDColorSettingVC : ClickCancel");
    m_job->StopTimer();
    QDialog::reject();
}

void LEDColorSettingVC::reject() {
    // Escape or the close box: never while the colour is being written; a
    // changed colour is asked about first.
    if (m_job->State() == LEDSTS_WRITE_DATA) return;
    const std::array<long, 4> shown = {m_nR, m_nG, m_nB, m_nBrightness};
    m_job->Leave(shown != m_stored, [this] { ClickSubmit(); }, [this] { ClickCancel(); });
}

void LEDColorSettingVC::ClickSubmit() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || !LedColorTarget::IsValid(m_lCurrentSelectColorView)) return;
    LedColorTarget::Color color;
    dm->pUtl().BarRGB_to_FlashRGB(static_cast<uint8_t>(m_nR), static_cast<uint8_t>(m_nG), static_cast<uint8_t>(m_nB), color.dutyR,
                                  color.dutyG, color.dutyB);
    color.brightness = static_cast<uint8_t>(m_nBrightness);
    m_ctx.Trace("LEDColorSettingVC : ClickSubmit(2)");
    if (!LedColorTarget::Write(dm->g_arPSI, dm->g_pSSI.bMode, m_lCurrentSelectColorView, color)) return;
    m_lblMessage->clear();
    dm->DataOutputToMemory();
    ComQue& que = dm->pComQue();
    que.CreateFastWriteComQue();
    if (LedColorTarget::IsDialFunction(m_lCurrentSelectColorView)) {
        que.CreateFunctionSettingInfoComQue();
    } else {
        que.CreateProfileSettingInfoComQue();
    }
    m_job->Start({LEDSTS_WRITE_DATA, "JOB_NAME_LED_WRITE", m_job->Closing(this)});
}

}  // namespace kelvadeck
