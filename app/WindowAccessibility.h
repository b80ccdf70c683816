#pragma once
// How assistive technology meets the main window: as a window (a frame, which a screen reader
// announces with its title), where the toolkit would offer a plain pane of a window. Its
// controls keep the toolkit's own interfaces and names.

namespace mig {

// Installs the accessibility factory of the main window; once per program, later calls do
// nothing. Needs the application object.
void installWindowAccessibility();

}  // namespace mig
