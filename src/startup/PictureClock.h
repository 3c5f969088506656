// A stopwatch for measuring loads on a real display: with RASTEL_PICTURE_CLOCK set in the
// environment, the program writes to standard error how many seconds passed from the settings
// dialog's OK to the first paint of the picture after it. Nothing else changes.
#pragma once

namespace rastel::modSTARTUP {

// Starts watching when the environment asks for it; call once the application exists.
void StartPictureClock();

}  // namespace rastel::modSTARTUP
