// Placeholder bodies so the program links while the mode set-up and the
// menu commands are written.
#include "driver/Tessarin.h"

namespace tessarin {

void Tessarin::mnuOnePlayer_Click() {}
void Tessarin::mnuDuel_Click() {}
void Tessarin::mnuCooperation_Click() {}
void Tessarin::modeCommand(int16_t) {}
void Tessarin::SetupStandard() {}
void Tessarin::SetupDuel() {}
void Tessarin::SetupCooperation() {}
void Tessarin::takeDownMode() {}
void Tessarin::createObjects(int, int, bool) {}
void Tessarin::loadElement1(bool) {}
void Tessarin::askNames(bool) {}
void Tessarin::mnuChangeName_Click() {}
void Tessarin::mnuBestScore_Click() {}
void Tessarin::mnuDuelResult_Click() {}
void Tessarin::mnuExit_Click() {}
void Tessarin::mnuLevel_Click(int16_t) {}
void Tessarin::mnuSpeed_Click(int16_t) {}
void Tessarin::mnuSound_Click() {}
void Tessarin::mnuPreview_Click() {}
void Tessarin::mnuGameA_Click() {}
void Tessarin::mnuGameB_Click() {}
void Tessarin::mnuCustom_Click() {}
void Tessarin::mnuHow_Click() {}
void Tessarin::mnuAbout_Click() {}

} // namespace tessarin
