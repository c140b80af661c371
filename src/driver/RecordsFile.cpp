// The window's score-file operations: the best results in "Tessarin.ini".
#include "driver/Tessarin.h"
#include "scorefile/ScoreFile.h"

namespace tessarin {

void Tessarin::ReadScoreFile() {
    // A file that cannot be read or created leaves the defaults in memory;
    // the player hears of it only if a record cannot be saved later.
    ScoreFile(services_.workingFolder).ReadScoreFile(TheRecords);
}

void Tessarin::WriteScoreFile() {
    ScoreFile file(services_.workingFolder);
    std::string reason;
    if (file.WriteScoreFile(TheRecords, &reason)) {
        LastScoreFileError.clear();
        return;
    }
    // The record stays in memory and the game goes on.
    LastScoreFileError = "The best results could not be saved to \"" + file.Path().string() +
                         "\": " + reason + ".\r\n\r\nThey are kept until the game is closed.";
    dialogs_.SystemMessage(LastScoreFileError, "Tessarin");
}

void Tessarin::CreateScoreFile() {
    ScoreFile(services_.workingFolder).CreateScoreFile();
}

} // namespace tessarin
