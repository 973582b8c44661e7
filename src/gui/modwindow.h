#pragma once

class QIcon;
class QWidget;

namespace modWindow {

// Brings the window back from wherever the user or the desktop put it
// (hidden in the tray, minimised by its own button or by the window
// manager, behind other windows): shown, normal, in front and active.
void BringBack(QWidget &window);

// The program's icon in every size it comes in, so that the tray, the task
// bar and the window each take the one drawn for their size.
QIcon ProgramIcon();

} // namespace modWindow
