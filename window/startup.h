#pragma once
// What the program sets up in its application before the window: names, version, window icon and the
// style's group box frames. The program and the start-up benchmark both start this way.

class QApplication;

namespace velmar {

void PrepareApplication(QApplication &app);

// Before the application is made: on Windows, the window's text is drawn by FreeType, as on Linux.
void ChooseFontEngine();

}  // namespace velmar
