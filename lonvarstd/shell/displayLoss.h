#pragma once
// The display going away under the program (log-out, a crashed X server): the window
// system's plug-in ends the process with exit() from inside its event handling. The
// close then runs from the exit handlers, like an end signal's: hook removed, workers
// stopped, "TVC.TMP" and the placement written, and the program ends with code 0.

class TFrmTavrixMain;

// Makes `status` the window closed when the process ends without its close;
// nullptr once it has closed normally.
void EndLikeASignalWhenTheDisplayGoes(TFrmTavrixMain* status);
