#pragma once
// Start-up step of the map view with the player's own failure handling.

#include "map/MapPages.h"

/// Shows the message in a message box with an OK button and ends the process with the status.
void ShowFatalAndExit(const QString& message, int exitStatus);
