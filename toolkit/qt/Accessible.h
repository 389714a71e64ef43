#pragma once

// What screen readers are told of the toolkit's own controls, which Qt alone shows as nameless "fillers":
// a form is a window named by its title, an image a picture named by its accessible name. Installed once,
// on the window's thread, by the application object after Qt's own.
void InstallAccessibleFactory();
