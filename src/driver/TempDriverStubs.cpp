// Placeholder bodies so the program links while the driver is written.
#include "driver/Tessarin.h"

namespace tessarin {

void Tessarin::Form_KeyDown(int16_t, int16_t) {}
void Tessarin::Form_Paint() {}
void Tessarin::picCanvas_Paint(int16_t) {}
void Tessarin::Form_Unload() {}
void Tessarin::mnuNewGame_Click() {}
void Tessarin::mnuPause_Click() {}
void Tessarin::mnuStop_Click() {}
void Tessarin::tmrMain_Timer(int16_t) {}
void Tessarin::tmrDelete_Timer(int16_t) {}
void Tessarin::tmrBlink_Timer(int16_t) {}
void Tessarin::tmrPreBlink_Timer(int16_t) {}
void Tessarin::tmrGameOver_Timer() {}
void Tessarin::PreToCur(int16_t) {}
int16_t Tessarin::MakeShape(int16_t, int16_t) {
    return 0;
}
void Tessarin::GameOver() {}
void Tessarin::DoForGameOver() {}
void Tessarin::MakePreview(int16_t) {}
int16_t Tessarin::PreviewRow(int16_t, int16_t) {
    return 0;
}
void Tessarin::ShowCounters() {}
void Tessarin::ReadScoreFile() {}
void Tessarin::WriteScoreFile() {}
void Tessarin::CreateScoreFile() {}

} // namespace tessarin
