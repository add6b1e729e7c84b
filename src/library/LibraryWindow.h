#pragma once

// The one library window of the program, opened by the viewer's library button: the first call makes and
// shows it, later calls bring it to the front. A closed window is gone; the next call makes a new one,
// which lists the save root afresh.

class LibraryViewController;

namespace LibraryWindow {

// Over the app's save location and the desktop's folder panel and file opener.
LibraryViewController *present();

}  // namespace LibraryWindow
