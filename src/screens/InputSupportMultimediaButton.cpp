#include "screens/InputSupportMultimediaButton.h"

#include <QButtonGroup>
#include <QLabel>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"

namespace kelvadeck {

using C = Constants;

InputSupportMultimediaButton::InputSupportMultimediaButton(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportMultimediaButton"));
    const StringTable& s = dm.Strings();
    m_lblMultimediaButtonTitle = MakeTitleLabel("m_lblMultimediaButtonTitle");
    m_lblMultimediaButtonTitle->setText(QString::fromStdString(s.Get("SCRIPT_ADD_INFO_MM_BUTTON_TEXT")));
    m_rdoMultimediaButton = MakeChoices("m_rdoMultimediaButton",
                                        {{C::UI_BTN_ID_MULTIMEDIA_PLAY, s.Get("MULTIMEDIA_NAME_PLAY")},
                                         {C::UI_BTN_ID_MULTIMEDIA_PAUSE, s.Get("MULTIMEDIA_NAM_PAUSE")},
                                         {C::UI_BTN_ID_MULTIMEDIA_STOP, s.Get("MULTIMEDIA_NAM_STOP")},
                                         {C::UI_BTN_ID_MULTIMEDIA_REC, s.Get("MULTIMEDIA_NAM_REC")},
                                         {C::UI_BTN_ID_MULTIMEDIA_FORWORD, s.Get("MULTIMEDIA_NAM_FORWORD")},
                                         {C::UI_BTN_ID_MULTIMEDIA_REWIND, s.Get("MULTIMEDIA_NAM_REWIND")},
                                         {C::UI_BTN_ID_MULTIMEDIA_NEXT, s.Get("MULTIMEDIA_NAM_NEXT")},
                                         {C::UI_BTN_ID_MULTIMEDIA_PREVIOUS, s.Get("MULTIMEDIA_NAM_PREVIOUS")},
                                         {C::UI_BTN_ID_MULTIMEDIA_MUTE, s.Get("MULTIMEDIA_NAM_MUTE")},
                                         {C::UI_BTN_ID_MULTIMEDIA_VOLUMEUP, s.Get("MULTIMEDIA_NAM_VOLUMEUP")},
                                         {C::UI_BTN_ID_MULTIMEDIA_VOLUMEDOWN, s.Get("MULTIMEDIA_NAM_VOLUMEDOWN")},
                                         {C::UI_BTN_ID_MULTIMEDIA_BLANK1, ""}},
                                        3);
}

void InputSupportMultimediaButton::InitSetting() { Preselect(m_rdoMultimediaButton, pclsCurrentMDS.cOption1); }

void InputSupportMultimediaButton::ApplyToStep() {
    const int id = m_rdoMultimediaButton->checkedId();
    if (id < 0) return;
    MacroCreator::ValidateMacroForScriptMultimediaButton(pclsCurrentMDS, static_cast<uint8_t>(id));
}

}  // namespace kelvadeck
